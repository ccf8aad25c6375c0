#include "toolkit/PngImageList.h"

#include "toolkit/Exception.h"

#include <QPainter>

TPngImageList::TPngImageList(int width, int height) : m_width(width), m_height(height) {}

int TPngImageList::Add(const QImage& image)
{
    QImage copy = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (copy.width() != m_width || copy.height() != m_height)
        copy = copy.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_images.push_back(std::move(copy));
    return Count() - 1;
}

int TPngImageList::AddFile(const QString& path)
{
    QImage image;
    if (!image.load(path, "PNG"))
        throw Exception("Cannot load the PNG image \"" + path.toStdString() + "\"");
    return Add(image);
}

QImage TPngImageList::Image(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_images[size_t(index)];
}

void TPngImageList::Draw(QPainter& painter, int x, int y, int index) const
{
    if (index < 0 || index >= Count())
        return;
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(x, y, m_images[size_t(index)]);
    painter.setCompositionMode(mode);
}
