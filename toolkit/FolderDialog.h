#pragma once

#include <QFileDialog>

// The folder picker: Qt's own, which also takes the name of a folder that is not there yet (typed into its name
// field) where Qt would refuse it with "Directory not found"; the program makes such a folder when it needs it.
class TFolderDialog : public QFileDialog
{
public:
    TFolderDialog(QWidget* parent, const QString& title);

    // The folder chosen, or an empty text when the picker was cancelled.
    QString Folder() const;
    // Takes a name that is not there as the chosen folder; anything else as Qt's picker does.
    void accept() override;

private:
    QString m_newFolder;
};
