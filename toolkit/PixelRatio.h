#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Pictures for screens whose pixel ratio is above 1 (a HiDPI screen, QT_SCALE_FACTOR=2): drawn or loaded with
// as many device pixels as the screen shows, and placed by their size in the window's own pixels.

// An opaque image covering size at the ratio: size × ratio device pixels that paint as size. A painter on it
// draws in the window's pixels.
QImage DeviceImage(const QSize& size, qreal ratio);
// The size an image covers in the window's pixels.
QSize LogicalSize(const QImage& image);
// The picture at a file or resource path. Where a screen has a ratio above 1 and the path has a variant drawn
// at twice the size ("name@2x.png" beside "name.png"), that one, covering the same size.
QImage SharpImage(const QString& path);
