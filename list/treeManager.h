#pragma once

#include "list/ItemData.h"
#include "toolkit/VirtualStringTree.h"

#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QMenu;

// The list's columns, left to right.
enum TListColumn { FileColumn, FormatColumn, OutputColumn, StateColumn };

// What the item-properties dialog hands back when closed with OK.
struct TItemProperties {
    int32_t FormatIndex = -1;
    QString Path;
    TEncoderChoices Choices;
};

// The file list model: answers the list control for every row (text, image, hint, popup menu, state column),
// appends rows for staged files and applies the item-properties dialog to a row. Its columns show the source, the
// format's short name, the output (the file a Done row made, else the folder it goes to) and the state; the source
// and output columns take up what the list gains in width.
class TTreeManager
{
public:
    // Installs the handlers on the control; given nullptr it installs nothing and every operation does nothing.
    explicit TTreeManager(TVirtualStringTree* tree);
    // Takes its handlers off the control when the control still exists; the rows stay with the control.
    ~TTreeManager();
    TTreeManager(const TTreeManager&) = delete;
    TTreeManager& operator=(const TTreeManager&) = delete;

    // Appends one Waiting row per file (UTF-8 paths), the i-th taking the i-th staged format and folder, then
    // empties the staging list. An empty list adds nothing and leaves the staging list as it is. Fewer staged
    // items than files: the staging list's error passes on and the rows made so far stay. Without a staging
    // list the rows get no format (-1) and no folder.
    void AddFiles(const std::vector<std::string>& files);
    // Runs PropertiesDialog on the row; when it is accepted while IsIdle(), writes back only FormatIndex, Path
    // and Choices, and when the row is selected, gives every selected row those of them that were changed. No row,
    // a foreign node or no dialog: nothing happens. The dialog's exceptions pass to the caller.
    void ShowProperties(PVirtualNode node);
    // The hint lines of a row, joined by LF: file, format (none for an index outside the catalogue) and
    // folder, "[choices]: ..." when the row has any, "[output]: ..." for a Done row, a "[note]: ..." line for each of
    // its notes, then "[error]: <reason>" for a failed row or "[progress]: <how far>" for the converting one.
    QString HintText(PVirtualNode node);
    // Keeps the background picture in the lower right corner of the control's client area.
    void AlignBackground();

    // The row menu, offered anywhere on the list's columns, also while a batch runs; not owned.
    QMenu* PopupMenu = nullptr;
    // Whether no conversion runs; unassigned counts as idle (no job, nothing runs).
    std::function<bool()> IsIdle;
    // Shows the item-properties dialog for a row; the accepted format and folder, or nothing when cancelled.
    std::function<std::optional<TItemProperties>(const TItemData&)> PropertiesDialog;

private:
    bool Idle() const { return !IsIdle || IsIdle(); }
    TItemNodeData* Data(PVirtualNode node) { return m_tree->GetNodeData<TItemNodeData>(node); }

    void TreeFreeNode(PVirtualNode node);
    void TreeGetImageIndex(PVirtualNode node, int column, int& imageIndex);
    void TreeGetText(PVirtualNode node, int column, QString& cellText);
    void TreeGetHint(PVirtualNode node, int column, QString& hintText);
    void TreeGetPopupMenu(int column, QMenu*& popupMenu);
    void TreeBeforeCellPaint(TCanvas& canvas, PVirtualNode node, int column, const TRect& cellRect);

    QPointer<TVirtualStringTree> m_tree;
};

// The program's file list model; made and freed by the main window controller, nullptr until then.
extern TTreeManager* TreeManager;
