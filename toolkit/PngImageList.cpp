#include "toolkit/PngImageList.h"

#include "toolkit/Exception.h"
#include "toolkit/PixelRatio.h"

#include <QPainter>

TPngImageList::TPngImageList(int width, int height)
    : m_width(width)
    , m_height(height)
{
}

int TPngImageList::Add(const QImage& image)
{
    QImage copy = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (LogicalSize(copy) != QSize(m_width, m_height)) {
        // A sharp picture stays sharp: it keeps its device pixels per pixel of the window.
        const qreal ratio = copy.devicePixelRatio();
        copy = copy.scaled(QSize(m_width, m_height) * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        copy.setDevicePixelRatio(ratio);
    }
    m_images.push_back(std::move(copy));
    return Count() - 1;
}

int TPngImageList::AddFile(const QString& path)
{
    const QImage image = SharpImage(path);
    if (image.isNull())
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
