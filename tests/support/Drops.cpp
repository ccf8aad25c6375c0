#include "tests/support/Drops.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <QWindow>

Qt::DropAction DragAndDrop(QWidget* window, QPoint at, const QMimeData* data, Qt::DropActions actions)
{
    QWindow* handle = window->windowHandle();
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(handle, &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    move.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(handle, &move);
    if (!enter.isAccepted() || !move.isAccepted()) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(handle, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent drop(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(handle, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

Qt::DropAction DropPaths(QWidget* window, QPoint at, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    QMimeData data;
    data.setUrls(urls);
    return DragAndDrop(window, at, &data);
}
