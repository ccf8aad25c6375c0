#include "app/addForm.h"

#include "app/BrowseFolder.h"
#include "app/ChoiceBoxes.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyListBox.h"

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
    AddLine(QString("file count: %1").arg(files.size()));
    AddLine("format: " + ComboBox1->Text());
    AddLine(SaveFolderLine());
    AddLine("Ready to go...click OK");
    AddLine("Cancel the operation...click Cancel");
}

void TaddDlg::btDirectoryClick()
{
    ChooseSaveFolder();
}

void TaddDlg::ComboBox1Change()
{
    SetLine(1, "format: " + ComboBox1->Text());
}

void TaddDlg::ChooseSaveFolder()
{
    etDirectory->setText(BrowseFolder(this, "Save Directory"));
    SetLine(2, SaveFolderLine());
}

QString TaddDlg::SaveFolderLine() const
{
    return SaveToLine(etDirectory->text());
}
