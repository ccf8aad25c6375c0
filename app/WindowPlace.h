#pragma once

class QWidget;

// Where the main window was and how big, kept in the user's settings across starts.
namespace WindowPlace
{

// Puts the window where it was left last time, maximised if it was; nothing when it never was closed. A place on
// a screen that is no longer there is brought back onto one.
void Restore(QWidget* window);
// Keeps where the window is and how big.
void Keep(const QWidget* window);

} // namespace WindowPlace
