#pragma once

#include "app/FileFormDlg.h"

class QCheckBox;

// The "Add Files" dialog: shows the chosen files and lets the user pick one format, its size, quality and sound
// and one save folder for all of them. Its information panel shows the file count, the format, what the format
// keeps of a source and the folder. The format offered first is the one chosen last for files of the same kind
// (video or sound); the size, quality and sound start as the format says unless the user marked the last ones to
// be remembered.
class TaddDlg : public TFileFormDlg
{
public:
    TaddDlg();

    // Takes a copy of the chosen names, lists them, offers the format for their kind and writes the five
    // information lines.
    void SetFiles(const QStringList& files);
    const QStringList& FileList() const { return m_fileList; }

    // Whether OK keeps the choices for the next add; it starts as the last add left it.
    QCheckBox* cbRemember;

protected:
    void btDirectoryClick() override;
    // Checks the save folder (a faulty one is told and gets the focus) and keeps the format for the files' kind.
    bool CanAccept() override;

private:
    void ComboBox1Change();
    // "keeps every track; copies what fits": what the chosen format keeps, from the catalogue.
    QString KeepsText() const;
    // Asks for the save folder; a cancelled picker goes back to the global path.
    void ChooseSaveFolder();

    QStringList m_fileList;
};
