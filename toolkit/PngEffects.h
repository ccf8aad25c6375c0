#pragma once

#include <QImage>

// A copy of the picture with every pixel's alpha multiplied by per256 / 256 (rounded, halves to even), for
// the translucent look of disabled glyphs. Colours are kept.
QImage TranslucentCopy(const QImage& image, int per256);

// A copy of the picture in grey: each pixel's luminance 0.30 R + 0.59 G + 0.11 B, alpha kept.
QImage GrayscaleCopy(const QImage& image);
