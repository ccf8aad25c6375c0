#pragma once

#include "app/FileFormDlg.h"

// The "Add Files" dialog: shows the chosen files and lets the user pick one format, its size, quality and sound
// (the last ones added at first) and one save folder for all of them. Its information panel shows the file
// count, format and folder.
class TaddDlg : public TFileFormDlg
{
public:
    TaddDlg();

    // Takes a copy of the chosen names, lists them and writes the five information lines.
    void SetFiles(const QStringList& files);
    const QStringList& FileList() const { return m_fileList; }

protected:
    void btDirectoryClick() override;

private:
    void ComboBox1Change();
    // Asks for the save folder; a cancelled picker goes back to the global path.
    void ChooseSaveFolder();
    QString SaveFolderLine() const;

    QStringList m_fileList;
};
