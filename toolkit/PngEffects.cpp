#include "toolkit/PngEffects.h"

#include "toolkit/Graphics.h"

#include <QColor>

QImage TranslucentCopy(const QImage& image, int per256)
{
    QImage copy = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < copy.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(qRed(p), qGreen(p), qBlue(p), RoundHalfEven(qAlpha(p) * per256 / 256.0));
        }
    }
    return copy;
}

QImage GrayscaleCopy(const QImage& image)
{
    QImage copy = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < copy.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x) {
            const QRgb p = line[x];
            const int grey = RoundHalfEven(0.30 * qRed(p) + 0.59 * qGreen(p) + 0.11 * qBlue(p));
            line[x] = qRgba(grey, grey, grey, qAlpha(p));
        }
    }
    return copy;
}
