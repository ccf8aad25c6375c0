#pragma once

#include "toolkit/Graphics.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;
class TMyButtonEx;

// The look the program's windows share.

// Blue of captions and labels.
constexpr TColor CaptionColor = RGB(21, 66, 139);
// Line colour of the panels' frames and separators.
constexpr TColor PanelLineColor = RGB(141, 178, 227);
// Background of the windows.
constexpr TColor FormColor = RGB(129, 164, 209);
// Text colour of file names in the lists.
constexpr TColor ListFontColor = RGB(147, 121, 121);

// "Trebuchet MS" at a character height in pixels.
QFont TrebuchetFont(int pixelSize, bool bold = false, bool italic = false);
// A picture of the program's artwork below :/images/app/, sharp on a screen with a pixel ratio above 1.
QImage AppImage(const QString& name);

void SetTextColor(QWidget* widget, TColor color);
// Fills the widget's background with the colour.
void SetBackgroundColor(QWidget* widget, TColor color);

// A label on a transparent background.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds, const QFont& font,
    TColor color, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

// The gradient push buttons of every window: bold blue caption on a pale blue gradient.
TMyButtonEx* MakePushButton(QWidget* parent, const char* name, const QString& caption, const QRect& bounds);
