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

QStringList TQtDialogs::OpenFiles(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, title, QString(), QtFileFilter(filter));
}

QString TQtDialogs::OpenFile(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), QtFileFilter(filter));
}

QString TQtDialogs::SaveFile(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, QString(), QtFileFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString TQtDialogs::BrowseFolder(QWidget* parent, const QString& title)
{
    return QFileDialog::getExistingDirectory(parent, title);
}

void TQtDialogs::OpenUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}
