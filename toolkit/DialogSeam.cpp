#include "toolkit/DialogSeam.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

int TQtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon,
                           int buttons)
{
    static const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning,
                                              QMessageBox::Critical, QMessageBox::Question};
    QMessageBox box(icons[int(icon)], caption, text, QMessageBox::StandardButtons(buttons), parent);
    return box.exec();
}

QStringList TQtDialogs::OpenFiles(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
}

QString TQtDialogs::OpenFile(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString TQtDialogs::SaveFile(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, QString(), filter);
}

QString TQtDialogs::BrowseFolder(QWidget* parent, const QString& title)
{
    return QFileDialog::getExistingDirectory(parent, title);
}

void TQtDialogs::OpenUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}
