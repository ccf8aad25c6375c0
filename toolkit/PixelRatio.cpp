#include "toolkit/PixelRatio.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cmath>

QImage DeviceImage(const QSize& size, qreal ratio)
{
    QImage image(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

QSize LogicalSize(const QImage& image)
{
    return image.deviceIndependentSize().toSize();
}

QImage SharpImage(const QString& path)
{
    // The highest ratio of all screens: a window may move to that screen, and Qt shrinks a sharp picture for a
    // plain screen well, while it can only blur a plain one for a sharp screen.
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1) {
        const QFileInfo file(path);
        const QString sharp = file.path() + "/" + file.completeBaseName() + "@2x." + file.suffix();
        QImage image(sharp);
        if (!image.isNull()) {
            image.setDevicePixelRatio(2);
            return image;
        }
    }
    return QImage(path);
}
