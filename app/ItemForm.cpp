#include "app/ItemForm.h"

#include "app/BrowseFolder.h"
#include "app/ChoiceBoxes.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyListBox.h"
#include "controls/MyButtonEx.h"
#include "controls/PngSpeedButton.h"
#include "platform/FileSystem.h"
#include "toolkit/FileNames.h"
#include "toolkit/SysUtils.h"

TItemDlg::TItemDlg()
    : TFileFormDlg("Item Property")
{
    setObjectName("ItemDlg");
}

void TItemDlg::btDirectoryClick()
{
    const QString folder = BrowseFolder(this, "Save Directory");
    if (!folder.isEmpty())
        etDirectory->setText(folder);
}

std::optional<TItemProperties> ShowItemDialog(const TItemData& item, bool readOnly)
{
    // The size is read before anything is shown, so a vanished file costs the user no dialog.
    int error = 0;
    const int64_t size = platform::FileSize(NameBytes(item.FileName), error);
    if (size < 0)
        RaiseOSError(error);

    TItemDlg dialog;
    dialog.MyListBox1->addItem(item.FileName);
    dialog.SetFormatIndex(item.FormatIndex);
    dialog.ChoiceBoxes->SetChoices(item.Choices);
    dialog.SetSaveFolder(item.Path);
    dialog.AddLine("file name: " + item.FileName.mid(item.FileName.lastIndexOf('/') + 1));
    dialog.AddLine(QString("file size: %1 Bytes").arg(size));
    dialog.AddSaveToLine();
    if (!item.Output.isEmpty())
        dialog.AddLine("output: " + item.Output);
    for (const QString& line : item.Notes)
        dialog.AddLine("note: " + line);
    if (!item.Reason.isEmpty())
        dialog.AddLine("error: " + item.Reason);
    if (readOnly) {
        dialog.AddLine("Files are being converted: what is shown cannot be changed until they are.");
        for (QWidget* control : std::initializer_list<QWidget*> { dialog.ComboBox1, dialog.ChoiceBoxes->cbSize,
                 dialog.ChoiceBoxes->cbQuality, dialog.ChoiceBoxes->cbSound, dialog.etDirectory, dialog.btDirectory,
                 dialog.btnOk })
            control->setEnabled(false);
    }
    dialog.exec();
    if (!dialog.Accepted())
        return std::nullopt;
    return TItemProperties { dialog.FormatIndex(), dialog.SaveFolder(), dialog.ChoiceBoxes->Choices() };
}
