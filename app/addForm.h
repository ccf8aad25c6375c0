#pragma once

#include "app/FileFormDlg.h"

// The "Add Files" dialog: shows the chosen files and lets the user pick one format, its size, quality and sound
// (the last ones added at first) and one save folder for all of them. Its information panel shows the file
// count, format and folder. The format offered first is the one chosen last for files of the same kind (video or
// sound).
class TaddDlg : public TFileFormDlg
{
public:
    TaddDlg();

    // Takes a copy of the chosen names, lists them, offers the format for their kind and writes the five
    // information lines.
    void SetFiles(const QStringList& files);
    const QStringList& FileList() const { return m_fileList; }

protected:
    void btDirectoryClick() override;
    // Checks the save folder (a faulty one is told and gets the focus) and keeps the format for the files' kind.
    bool CanAccept() override;

private:
    void ComboBox1Change();
    // Asks for the save folder; a cancelled picker goes back to the global path.
    void ChooseSaveFolder();

    QStringList m_fileList;
};
