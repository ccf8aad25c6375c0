#include "tests/support/PixelCount.h"

#include "toolkit/Contrast.h"

#include <QColor>
#include <QHash>
#include <algorithm>
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

double TextContrast(const QImage& region)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < region.height(); ++y)
        for (int x = 0; x < region.width(); ++x)
            ++counts[region.pixel(x, y) | 0xFF000000u];
    if (counts.isEmpty())
        return 1;
    QRgb background = counts.begin().key();
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > counts[background])
            background = it.key();
    double most = 1;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        most = std::max(most, ContrastRatio(QColor(background), QColor(it.key())));
    return most;
}
