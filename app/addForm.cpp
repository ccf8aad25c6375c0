#include "app/addForm.h"

#include "app/BrowseFolder.h"
#include "app/ChoiceBoxes.h"
#include "app/FormatChoice.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyListBox.h"
#include "engine/commandManager.h"

TaddDlg::TaddDlg()
    : TFileFormDlg("Add Files")
{
    setObjectName("addDlg");
    ComboBox1->OnChange = [this](QObject*) { ComboBox1Change(); };
    ChoiceBoxes->SetChoices(TChoiceBoxes::Remembered());
}

void TaddDlg::SetFiles(const QStringList& files)
{
    m_fileList = files;
    MyListBox1->addItems(files);
    if (CommandManager)
        SetFormatIndex(FormatChoice::Preferred(*CommandManager, FormatChoice::SoundSources(files)));
    AddLine(QString("file count: %1").arg(files.size()));
    AddLine("format: " + ComboBox1->Text());
    AddSaveToLine();
    AddLine("Ready to go...click OK");
    AddLine("Cancel the operation...click Cancel");
}

void TaddDlg::btDirectoryClick()
{
    ChooseSaveFolder();
}

bool TaddDlg::CanAccept()
{
    if (!TFileFormDlg::CanAccept())
        return false;
    if (FormatIndex() >= 0)
        FormatChoice::Remember(FormatChoice::SoundSources(m_fileList), FormatIndex());
    return true;
}

void TaddDlg::ComboBox1Change()
{
    SetLine(1, "format: " + ComboBox1->Text());
}

void TaddDlg::ChooseSaveFolder()
{
    etDirectory->setText(BrowseFolder(this, "Save Directory"));
}
