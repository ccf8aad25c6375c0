#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class TMsgIcon { Information, Warning, Stop, Question };

// Every message box and common dialog the program shows goes through one seam, so that tests answer them
// instead of a person. The product uses TQtDialogs; a test installs its own with TApplication::SetSeam.
class TDialogSeam
{
public:
    virtual ~TDialogSeam() = default;
    // Shows a message; returns the QMessageBox::StandardButton that closed it.
    virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, int buttons)
        = 0;
    // A question answered with buttons of its own words, in the order given: Enter presses the default one, Esc
    // and the close box the escape one. Returns the position of the button pressed.
    virtual int Choose(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon,
        const QStringList& buttons, int defaultButton, int escapeButton)
        = 0;
    // The chosen files of an open dialog, empty when cancelled.
    virtual QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
    // The chosen file of an open dialog for one file, empty when cancelled.
    virtual QString OpenFile(QWidget* parent, const QString& title, const QString& filter) = 0;
    // The chosen file of a save dialog, empty when cancelled.
    virtual QString SaveFile(QWidget* parent, const QString& title, const QString& filter) = 0;
    // The chosen folder, empty when cancelled; it may be one that is not there yet.
    virtual QString BrowseFolder(QWidget* parent, const QString& title) = 0;
    // Opens a web page in the user's browser, or a local folder in the file manager; false when none opens.
    virtual bool OpenUrl(const QString& url) = 0;
};

// A filter in the classic form "Name|*.a;*.b|Other|*.*" as Qt's file dialog takes it:
// "Name (*.a *.b);;Other (*)". "*.*" means every file; a name that already ends in its patterns keeps them.
QString QtFileFilter(const QString& filter);

// The real dialogs; the file dialogs take filters in the classic form and never ask before replacing a file.
// The first file dialog opens in the user's Videos folder (else the home folder), each later one in the folder
// of the last file chosen. A message box's Open button reads "Open folder", which is all it is used for.
class TQtDialogs : public TDialogSeam
{
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, int buttons) override;
    int Choose(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, const QStringList& buttons,
        int defaultButton, int escapeButton) override;
    QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter) override;
    QString OpenFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString SaveFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString BrowseFolder(QWidget* parent, const QString& title) override;
    bool OpenUrl(const QString& url) override;

private:
    QString StartFolder();
    // Keeps the folder of a chosen file for the next dialog; returns the file.
    QString Chosen(const QString& file);

    QString m_folder;
};
