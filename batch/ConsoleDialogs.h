#pragma once

#include "toolkit/DialogSeam.h"

// The dialog seam of the command-line mode, which has no windows: a message goes to standard error as
// "caption: text" and is answered OK; every file and folder dialog is cancelled.
class TConsoleDialogs : public TDialogSeam {
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, int buttons) override;
    QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter) override;
    QString OpenFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString SaveFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString BrowseFolder(QWidget* parent, const QString& title) override;
    bool OpenUrl(const QString& url) override;
};
