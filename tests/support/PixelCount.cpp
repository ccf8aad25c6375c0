#include "tests/support/PixelCount.h"

#include <QColor>
#include <cstdlib>

int CountPixelsNear(const QImage& image, TColor color, int tolerance)
{
    const QColor wanted = ColorToRGB(color);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += std::abs(pixel.red() - wanted.red()) + std::abs(pixel.green() - wanted.green())
                    + std::abs(pixel.blue() - wanted.blue())
                <= tolerance;
        }
    return count;
}
