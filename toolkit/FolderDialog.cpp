#include "toolkit/FolderDialog.h"

#include <QFileInfo>

TFolderDialog::TFolderDialog(QWidget* parent, const QString& title)
    : QFileDialog(parent, title)
{
    // The platform's own pickers answer a name that is not there in their own ways; this one takes it.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setFileMode(QFileDialog::Directory);
}

QString TFolderDialog::Folder() const
{
    if (result() != QDialog::Accepted)
        return {};
    return m_newFolder.isEmpty() ? selectedFiles().value(0) : m_newFolder;
}

void TFolderDialog::accept()
{
    const QString chosen = selectedFiles().value(0);
    if (chosen.isEmpty() || QFileInfo::exists(chosen)) {
        m_newFolder.clear();
        QFileDialog::accept();
        return;
    }
    m_newFolder = chosen;
    QDialog::accept();
}
