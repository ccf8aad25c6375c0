#include "app/addForm.h"

#include "app/BrowseFolder.h"
#include "app/ChoiceBoxes.h"
#include "app/FormStyle.h"
#include "app/FormatChoice.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyListBox.h"
#include "engine/commandManager.h"

#include <QCheckBox>

namespace
{

constexpr int KeepsLine = 2;

} // namespace

TaddDlg::TaddDlg()
    : TFileFormDlg("Add Files")
{
    setObjectName("addDlg");
    ComboBox1->OnChange = [this](QObject*) { ComboBox1Change(); };
    // On the line of the choices' captions, right of "sound": the mark belongs to the three boxes below it.
    cbRemember = new QCheckBox("remember", this);
    cbRemember->setObjectName("cbRemember");
    cbRemember->setGeometry(350, 190, 84, 22);
    cbRemember->setFont(TrebuchetFont(13));
    cbRemember->setToolTip("offer these size, quality and sound choices again at the next Add");
    SetTextColor(cbRemember, CaptionColor);
    // Choices carried over silently would change files the user meant to convert as the format says.
    cbRemember->setChecked(TChoiceBoxes::RememberWanted());
    if (cbRemember->isChecked())
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
    AddLine(KeepsText());
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
    TChoiceBoxes::SetRememberWanted(cbRemember->isChecked());
    TChoiceBoxes::Remember(cbRemember->isChecked() ? ChoiceBoxes->Choices() : TEncoderChoices());
    return true;
}

void TaddDlg::ComboBox1Change()
{
    SetLine(1, "format: " + ComboBox1->Text());
    SetLine(KeepsLine, KeepsText());
}

QString TaddDlg::KeepsText() const
{
    if (!CommandManager || FormatIndex() < 0)
        return "keeps: no format is chosen";
    return "keeps " + QString::fromStdString(CommandManager->Keeps(FormatIndex()));
}

void TaddDlg::ChooseSaveFolder()
{
    etDirectory->setText(BrowseFolder(this, "Save Directory"));
}
