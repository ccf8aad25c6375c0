#include "app/addForm.h"

#include "app/BrowseFolder.h"
#include "app/ChoiceBoxes.h"
#include "app/FormatChoice.h"
#include "app/SaveFolder.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyListBox.h"
#include "engine/commandManager.h"
#include "toolkit/Application.h"

#include <QMessageBox>
#include <QStandardItemModel>
#include <algorithm>

namespace
{

// Formats listed under a heading show how many more rows there are without scrolling.
constexpr int GroupedDropDownCount = 16;
// The groups in the order the list shows them: the formats people reach for most come first.
constexpr FormatChoice::TGroup GroupOrder[]
    = { FormatChoice::SameQualityGroup, FormatChoice::VideoGroup, FormatChoice::SoundGroup };

} // namespace

TaddDlg::TaddDlg()
    : TFileFormDlg("Add Files")
{
    setObjectName("addDlg");
    ComboBox1->OnChange = [this](QObject*) { ComboBox1Change(); };
    ChoiceBoxes->SetChoices(TChoiceBoxes::Remembered());
    etDirectory->setReadOnly(false);
    QObject::connect(etDirectory, &QLineEdit::textChanged, this, [this] { SetLine(2, SaveFolderLine()); });
    FillFormats();
}

// Each item keeps its format's position in the catalogue, so the order shown is free; a heading keeps none and
// cannot be chosen.
void TaddDlg::FillFormats()
{
    ComboBox1->clear();
    if (!CommandManager)
        return;
    const int formats = static_cast<int>(CommandManager->Formats().size());
    std::vector<FormatChoice::TGroup> groups;
    for (int format = 0; format < formats; ++format)
        groups.push_back(FormatChoice::GroupOf(*CommandManager, format));
    const bool headings = std::any_of(groups.begin(), groups.end(), [&](auto group) { return group != groups[0]; });
    auto* model = static_cast<QStandardItemModel*>(ComboBox1->model());
    for (FormatChoice::TGroup group : GroupOrder) {
        if (headings && std::find(groups.begin(), groups.end(), group) == groups.end())
            continue;
        if (headings) {
            auto* heading = new QStandardItem(FormatChoice::GroupHeading(group));
            heading->setFlags(Qt::NoItemFlags);
            QFont bold = ComboBox1->font();
            bold.setBold(true);
            heading->setFont(bold);
            model->appendRow(heading);
        }
        for (int format = 0; format < formats; ++format)
            if (!headings || groups[format] == group)
                ComboBox1->addItem(QString::fromStdString(CommandManager->Formats()[format]), format);
        if (!headings)
            break;
    }
    if (headings)
        ComboBox1->SetDropDownCount(GroupedDropDownCount);
    SetFormatIndex(formats > 0 ? 0 : -1);
}

int TaddDlg::FormatIndex() const
{
    const QVariant format = ComboBox1->currentData();
    return format.isValid() ? format.toInt() : -1;
}

void TaddDlg::SetFormatIndex(int format)
{
    ComboBox1->SetItemIndex(format < 0 ? -1 : ComboBox1->findData(format));
}

void TaddDlg::SetFiles(const QStringList& files)
{
    m_fileList = files;
    MyListBox1->addItems(files);
    if (CommandManager)
        SetFormatIndex(FormatChoice::Preferred(*CommandManager, FormatChoice::SoundSources(files)));
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

bool TaddDlg::CanAccept()
{
    try {
        m_saveFolder = CheckedSaveFolder(etDirectory->text());
    } catch (const ESaveFolderError& error) {
        Application->MessageBox(QString::fromStdString(error.Message()), TMsgIcon::Warning, QMessageBox::Ok);
        etDirectory->setFocus();
        return false;
    }
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
    SetLine(2, SaveFolderLine());
}

QString TaddDlg::SaveFolderLine() const
{
    return SaveToLine(etDirectory->text());
}
