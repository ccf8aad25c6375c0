#include "app/WindowPlace.h"

#include <QSettings>
#include <QWidget>

namespace
{
const char* const Key = "window/geometry";
}

void WindowPlace::Restore(QWidget* window)
{
    const QByteArray geometry = QSettings().value(Key).toByteArray();
    if (!geometry.isEmpty())
        window->restoreGeometry(geometry);
}

void WindowPlace::Keep(const QWidget* window)
{
    QSettings().setValue(Key, window->saveGeometry());
}
