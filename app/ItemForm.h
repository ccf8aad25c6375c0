#pragma once

#include "app/FileFormDlg.h"
#include "list/treeManager.h"

#include <optional>

// The "Item Property" dialog: shows one row's file, format and save folder with the file's name and size,
// and lets the user pick another format, or pick, type or paste another folder.
class TItemDlg : public TFileFormDlg
{
public:
    TItemDlg();

protected:
    // A picked folder replaces the shown one; a cancelled picker keeps it.
    void btDirectoryClick() override;
};

// Shows the dialog for a row: the accepted format index, folder and choices, or nothing when it was not accepted. The
// information lines give the file's name and size, and why its last conversion failed when it did.
// A file that is gone raises EOSError with the system's message and the dialog is not shown. Read only, nothing can
// be changed and only Cancel closes it, and a line says why.
std::optional<TItemProperties> ShowItemDialog(const TItemData& item, bool readOnly = false);
