#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QWidget>

// A picture of w × h in one colour; an alpha below 255 gives a translucent picture.
inline QImage SolidImage(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// What the widget looks like on screen, in plain RGB.
inline QImage Shot(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline int CountPixels(const QImage& image, const QRect& area, QColor color)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.valid(x, y) && image.pixelColor(x, y) == color)
                ++count;
    return count;
}

inline int CountPixels(const QImage& image, QColor color)
{
    return CountPixels(image, image.rect(), color);
}

// The rows (top, bottom) that hold at least one pixel of the colour; (-1, -1) when none does.
inline std::pair<int, int> InkRows(const QImage& image, QColor color)
{
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        if (CountPixels(image, QRect(0, y, image.width(), 1), color) > 0) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    return {top, bottom};
}

// The columns (left, right) that hold at least one pixel of the colour; (-1, -1) when none does.
inline std::pair<int, int> InkColumns(const QImage& image, QColor color)
{
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x)
        if (CountPixels(image, QRect(x, 0, 1, image.height()), color) > 0) {
            if (left < 0)
                left = x;
            right = x;
        }
    return {left, right};
}

// A font that draws text in whole pixels of its colour, so text can be found by colour.
inline QFont CrispFont(int pixelSize, bool bold = false)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}
