#pragma once

#include "toolkit/Graphics.h"

#include <QImage>

// How many pixels are within a small distance of the colour (the sum of the channels' differences): the cores of
// antialiased glyphs.
int CountPixelsNear(const QImage& image, TColor color, int tolerance = 24);
// The contrast of text on its background in a rendered region: between the region's most common colour (the
// background) and the pixel that differs most from it (a glyph's core).
double TextContrast(const QImage& region);
