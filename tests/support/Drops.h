#pragma once

#include <QPoint>
#include <QStringList>
#include <Qt>

class QMimeData;
class QWidget;

// Drags data onto a shown window as the platform does (enter, move, then the drop when both were accepted)
// at a point in the window's coordinates, so Qt picks the target under that point as it does for a user.
// The proposed action is a move, as file managers propose. Returns the action the window answered for the
// drop, or Qt::IgnoreAction when it refused the drag.
Qt::DropAction DragAndDrop(
    QWidget* window, QPoint at, const QMimeData* data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction);

// DragAndDrop with the URLs of local paths.
Qt::DropAction DropPaths(QWidget* window, QPoint at, const QStringList& paths);
