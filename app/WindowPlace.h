#pragma once

class QWidget;
class TVirtualStringTree;

// Where the main window was and how big, and how wide the list's columns were, kept in the user's settings
// across starts.
namespace WindowPlace
{

// Puts the window where it was left last time, maximised if it was; nothing when it never was closed. A place on
// a screen that is no longer there is brought back onto one.
void Restore(QWidget* window);
// Gives the list's columns the widths they had; nothing when they were never kept or were kept for another
// number of columns.
void RestoreColumns(TVirtualStringTree* list);
// Keeps where the window is and how big, and the widths of the list's columns.
void Keep(const QWidget* window, const TVirtualStringTree* list);

} // namespace WindowPlace
