#pragma once

#include <QImage>
#include <QString>
#include <vector>

class QPainter;

// An ordered list of same-sized PNG pictures with alpha, drawn alpha-blended by index.
class TPngImageList {
public:
    TPngImageList(int width = 16, int height = 16);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Count() const { return int(m_images.size()); }

    // Appends a copy of the picture, scaled to the list's size when it differs; returns its index.
    int Add(const QImage& image);
    // Appends the PNG at a file or resource path; a path that does not decode raises Exception.
    int AddFile(const QString& path);
    // The picture at the index (ARGB32, premultiplied); an index outside the list gives a null image.
    QImage Image(int index) const;

    // Blends the picture over what the painter holds, top-left at (x, y); an index outside the list draws nothing.
    void Draw(QPainter& painter, int x, int y, int index) const;

private:
    int m_width;
    int m_height;
    std::vector<QImage> m_images;
};
