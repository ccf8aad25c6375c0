#include "toolkit/DialogSeam.h"

#include "toolkit/FolderDialog.h"
#include "toolkit/Locations.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace
{

QMessageBox::Icon BoxIcon(TMsgIcon icon)
{
    static const QMessageBox::Icon icons[]
        = { QMessageBox::Information, QMessageBox::Warning, QMessageBox::Critical, QMessageBox::Question };
    return icons[int(icon)];
}

} // namespace

int TQtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, int buttons)
{
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::StandardButtons(buttons), parent);
    if (QAbstractButton* open = box.button(QMessageBox::Open))
        open->setText("Open folder");
    // A box for a window the user has left, such as a batch's end, must not take the focus from another program.
    if (parent && !parent->isActiveWindow())
        box.setAttribute(Qt::WA_ShowWithoutActivating);
    return box.exec();
}

int TQtDialogs::Choose(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon,
    const QStringList& buttons, int defaultButton, int escapeButton)
{
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> made;
    for (const QString& button : buttons)
        made << box.addButton(button, made.size() == escapeButton ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (defaultButton >= 0 && defaultButton < made.size())
        box.setDefaultButton(made[defaultButton]);
    if (escapeButton >= 0 && escapeButton < made.size())
        box.setEscapeButton(made[escapeButton]);
    box.exec();
    const qsizetype pressed = made.indexOf(static_cast<QPushButton*>(box.clickedButton()));
    return pressed >= 0 ? int(pressed) : escapeButton;
}

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == "*.*")
                pattern = "*";
        const QString joined = patterns.join(' ');
        const QString& name = parts[i];
        entries << (name.endsWith("(" + joined + ")") ? name : name + " (" + joined + ")");
    }
    return entries.join(";;");
}

QString TQtDialogs::StartFolder()
{
    if (m_folder.isEmpty())
        m_folder = FirstDialogFolder();
    return m_folder;
}

QString TQtDialogs::Chosen(const QString& file)
{
    if (!file.isEmpty())
        m_folder = QFileInfo(file).absolutePath();
    return file;
}

QStringList TQtDialogs::OpenFiles(QWidget* parent, const QString& title, const QString& filter)
{
    const QStringList files = QFileDialog::getOpenFileNames(parent, title, StartFolder(), QtFileFilter(filter));
    Chosen(files.value(0));
    return files;
}

QString TQtDialogs::OpenFile(QWidget* parent, const QString& title, const QString& filter)
{
    return Chosen(QFileDialog::getOpenFileName(parent, title, StartFolder(), QtFileFilter(filter)));
}

QString TQtDialogs::SaveFile(QWidget* parent, const QString& title, const QString& filter)
{
    return Chosen(QFileDialog::getSaveFileName(
        parent, title, StartFolder(), QtFileFilter(filter), nullptr, QFileDialog::DontConfirmOverwrite));
}

QString TQtDialogs::BrowseFolder(QWidget* parent, const QString& title)
{
    TFolderDialog picker(parent, title);
    picker.exec();
    return picker.Folder();
}

bool TQtDialogs::OpenUrl(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}
