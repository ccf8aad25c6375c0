#pragma once

#include "toolkit/Graphics.h"

#include <QImage>

// How many pixels are within a small distance of the colour (the sum of the channels' differences): the cores of
// antialiased glyphs.
int CountPixelsNear(const QImage& image, TColor color, int tolerance = 24);
