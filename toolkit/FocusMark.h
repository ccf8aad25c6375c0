#pragma once

#include <QFocusEvent>

// Whether a control that got the focus shows a focus mark: only when the keyboard brought the focus (Tab or
// Shift+Tab); the mouse's and the program's focus show none. The focus coming back with the window or from a
// popup shows as it was before.
inline bool ShowsFocusMark(const QFocusEvent* event, bool before)
{
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
        return true;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        return before;
    default:
        return false;
    }
}
