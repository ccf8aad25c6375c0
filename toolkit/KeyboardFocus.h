#pragma once

#include <QFocusEvent>
#include <QKeyEvent>

// How the program's own controls behave for the keyboard.

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

// A focused button's keys: Space, Return or Enter with no modifier (the keypad's aside) click it, once however
// long the key is held. True when the key was taken; any other key is left to the caller.
template <class Click>
bool ClickOnKey(QKeyEvent* event, Click click)
{
    const int key = event->key();
    const bool clicks = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!clicks || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (!event->isAutoRepeat())
        click();
    event->accept();
    return true;
}
