#include "list/treeManager.h"

#include "engine/commandManager.h"
#include "list/StateCell.h"
#include "list/itemManager.h"
#include "toolkit/Contrast.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"
#include "toolkit/PixelRatio.h"
#include "toolkit/VisibleText.h"

#include <QFontMetrics>
#include <QPalette>

TTreeManager* TreeManager = nullptr;

namespace
{

// The text of a cell runs from 4 pixels in to 4 pixels short of its right edge.
constexpr int CellTextMargins = 8;

// The catalogue name at a format index, empty when there is no catalogue or no entry there.
QString FormatName(int32_t index)
{
    if (!CommandManager || index < 0 || index >= int32_t(CommandManager->Formats().size()))
        return {};
    return QString::fromStdString(CommandManager->Formats()[size_t(index)]);
}

QString ShortFormatName(int32_t index)
{
    if (!CommandManager || index < 0 || index >= int32_t(CommandManager->ShortNames().size()))
        return {};
    return QString::fromStdString(CommandManager->ShortNames()[size_t(index)]);
}

// The format's short name and the row's choices after it, in their short words: "MP4 H.264 · 720 · smaller".
QString FormatCellText(const TItemData& item)
{
    QStringList parts { ShortFormatName(item.FormatIndex) };
    for (const std::string& word :
        { SizeWord(item.Choices.MaxLines), QualityWord(item.Choices.Quality), SoundWord(item.Choices.Sound) })
        if (!word.empty())
            parts << QString::fromStdString(word);
    return parts.join(QString(" \u00b7 "));
}

// The file a Done row made, by its name; else the folder the row's file goes to.
QString OutputText(const TItemNodeData& row)
{
    const TItemData& item = row.ItemData;
    if (row.ImageIndex == Done && !item.Output.isEmpty())
        return VisibleText(item.Output.section('/', -1));
    return VisibleText(item.Path.isEmpty() ? DefaultOutputFolder() : item.Path);
}

} // namespace

TTreeManager::TTreeManager(TVirtualStringTree* tree)
    : m_tree(tree)
{
    if (!tree)
        return;
    tree->SetNodeDataType<TItemNodeData>();
    tree->SetColumnWidths({ 290, 120, 230, 160 });
    tree->SetColumnTitles({ "File", "Format", "Output", "State" });
    tree->SetStretchColumns({ FileColumn, OutputColumn });
    tree->OnResize = [this](TVirtualStringTree*) { AlignBackground(); };
    tree->OnFreeNode = [this](TVirtualStringTree*, PVirtualNode node) { TreeFreeNode(node); };
    tree->OnGetImageIndex = [this](TVirtualStringTree*, PVirtualNode node, TVTImageKind, int column, int& index) {
        TreeGetImageIndex(node, column, index);
    };
    tree->OnGetText = [this](TVirtualStringTree*, PVirtualNode node, int column, QString& text) {
        TreeGetText(node, column, text);
    };
    tree->OnGetHint
        = [this](TVirtualStringTree*, PVirtualNode node, int column, QString& hint) { TreeGetHint(node, column, hint); };
    tree->OnGetPopupMenu = [this](TVirtualStringTree*, PVirtualNode, int column, const QPoint&, bool&, QMenu*& menu) {
        TreeGetPopupMenu(column, menu);
    };
    tree->OnColumnDblClick
        = [this](TVirtualStringTree* sender, int, Qt::KeyboardModifiers) { ShowProperties(sender->FocusedNode()); };
    tree->OnBeforeCellPaint = [this](TVirtualStringTree*, TCanvas& canvas, PVirtualNode node, int column,
                                  const TRect& cell, TRect&) { TreeBeforeCellPaint(canvas, node, column, cell); };
    tree->OnPaintText = [this](TVirtualStringTree*, TCanvas& canvas, PVirtualNode node, int column) {
        const TItemNodeData& row = *Data(node);
        if (column == StateColumn && row.ImageIndex == Done && !row.ItemData.Notes.isEmpty())
            canvas.FontColor = NotesTextColor(m_tree->Color());
    };
    tree->OnAfterCellPaint = [this](TVirtualStringTree*, TCanvas& canvas, PVirtualNode node, int column,
                                 const TRect& cell) {
        if (column == StateColumn)
            PaintStateBar(canvas, cell, *Data(node));
    };
    // Someone who asked the desktop for high contrast gets the list in its colours.
    if (HighContrastDesktop()) {
        const QPalette palette = tree->palette();
        tree->SetColor(ColorFromQColor(palette.color(QPalette::Base)));
        tree->SetFontColor(ColorFromQColor(palette.color(QPalette::Text)));
    }
    // A running batch takes the rows in list order: a row moved above the one it converts would be passed by.
    tree->OnDragAllowed = [this](TVirtualStringTree*, PVirtualNode, int, bool& allowed) { allowed = Idle(); };
}

TTreeManager::~TTreeManager()
{
    if (!m_tree)
        return;
    m_tree->OnResize = nullptr;
    m_tree->OnFreeNode = nullptr;
    m_tree->OnGetImageIndex = nullptr;
    m_tree->OnGetText = nullptr;
    m_tree->OnGetHint = nullptr;
    m_tree->OnGetPopupMenu = nullptr;
    m_tree->OnColumnDblClick = nullptr;
    m_tree->OnBeforeCellPaint = nullptr;
    m_tree->OnPaintText = nullptr;
    m_tree->OnAfterCellPaint = nullptr;
    m_tree->OnDragAllowed = nullptr;
}

void TTreeManager::AddFiles(const std::vector<std::string>& files)
{
    if (!m_tree || files.empty())
        return;
    for (size_t i = 0; i < files.size(); ++i) {
        TItemData item;
        item.FileName = NameText(files[i]);
        item.FormatIndex = ItemManager ? ItemManager->StagedFormat(int(i)) : -1;
        item.Path = ItemManager ? NameText(ItemManager->StagedPath(int(i))) : QString();
        item.Choices = ItemManager ? ItemManager->StagedChoices(int(i)) : TEncoderChoices();
        TTreeUpdate update(m_tree);
        PVirtualNode node = m_tree->AddChild(nullptr);
        TItemNodeData* data = Data(node);
        data->NodeType = 1;
        data->ItemData = std::move(item);
        data->ImageIndex = Waiting;
        m_tree->RepaintNode(node);
    }
    if (ItemManager)
        ItemManager->ClearStage();
}

void TTreeManager::ShowProperties(PVirtualNode node)
{
    if (!m_tree || m_tree->IndexOf(node) < 0 || !PropertiesDialog)
        return;
    const TItemData shown = Data(node)->ItemData;
    const std::optional<TItemProperties> accepted = PropertiesDialog(shown);
    if (!accepted || !Idle())
        return;
    TTreeUpdate update(m_tree);
    TItemData& item = Data(node)->ItemData;
    item.FormatIndex = accepted->FormatIndex;
    item.Path = accepted->Path;
    item.Choices = accepted->Choices;
    m_tree->RepaintNode(node);
    if (!m_tree->Selected(node))
        return;
    // The other selected rows take what was changed, and keep what was only looked at.
    for (PVirtualNode other : m_tree->SelectedNodes()) {
        TItemData& row = Data(other)->ItemData;
        if (accepted->FormatIndex != shown.FormatIndex)
            row.FormatIndex = accepted->FormatIndex;
        if (accepted->Path != shown.Path)
            row.Path = accepted->Path;
        if (!(accepted->Choices == shown.Choices))
            row.Choices = accepted->Choices;
        m_tree->RepaintNode(other);
    }
}

QString TTreeManager::HintText(PVirtualNode node)
{
    if (!m_tree || m_tree->IndexOf(node) < 0)
        return {};
    const TItemNodeData& row = *Data(node);
    const TItemData& item = row.ItemData;
    // Names and reasons are shown with their controls escaped: a right-to-left override would show them reversed.
    QString hint = QStringLiteral("[File Name]: %1\n[format]: %2\n[path]: %3")
                       .arg(VisibleText(item.FileName), FormatName(item.FormatIndex), VisibleText(item.Path));
    if (!item.Choices.AsFormat())
        hint += "\n[choices]: " + QString::fromStdString(ChoicesText(item.Choices));
    if (row.ImageIndex == Done && !item.Output.isEmpty())
        hint += "\n[output]: " + VisibleText(item.Output);
    for (const QString& note : item.Notes)
        hint += "\n[note]: " + VisibleText(note);
    if (row.ImageIndex == Failed && !item.Reason.isEmpty())
        hint += "\n[error]: " + VisibleText(item.Reason);
    else if (row.ImageIndex == Converting && !item.Progress.isEmpty())
        hint += "\n[progress]: " + item.Progress;
    return hint;
}

void TTreeManager::AlignBackground()
{
    if (!m_tree)
        return;
    const QSize picture = LogicalSize(m_tree->Background());
    m_tree->SetBackgroundOffsetX(m_tree->ClientWidth() - picture.width());
    m_tree->SetBackgroundOffsetY(m_tree->ClientHeight() - picture.height());
}

void TTreeManager::TreeFreeNode(PVirtualNode node)
{
    TItemNodeData* data = Data(node);
    data->RootData.RootText.clear();
    data->ItemData.FileName.clear();
    data->ItemData.Path.clear();
    data->ItemData.Reason.clear();
    data->ItemData.Progress.clear();
    data->ItemData.Output.clear();
    data->ItemData.Notes.clear();
}

void TTreeManager::TreeGetImageIndex(PVirtualNode node, int column, int& imageIndex)
{
    imageIndex = column == 0 ? Data(node)->ImageIndex : -1;
}

void TTreeManager::TreeGetText(PVirtualNode node, int column, QString& cellText)
{
    const TItemNodeData& row = *Data(node);
    if (column == FileColumn)
        cellText = VisibleText(row.ItemData.FileName);
    else if (column == FormatColumn)
        cellText = FormatCellText(row.ItemData);
    else if (column == OutputColumn)
        cellText = OutputText(row);
    else if (column == StateColumn)
        cellText = StateCellText(row, QFontMetrics(m_tree->TreeFont()), m_tree->ColumnWidth(column) - CellTextMargins);
}

// The whole row answers: the State column, where a reason is cut short, most of all.
void TTreeManager::TreeGetHint(PVirtualNode node, int, QString& hintText)
{
    hintText = HintText(node);
}

// Offered anywhere, also during a batch: the menu itself enables only what is safe then.
void TTreeManager::TreeGetPopupMenu(int column, QMenu*& popupMenu)
{
    popupMenu = column >= 0 ? PopupMenu : nullptr;
}

void TTreeManager::TreeBeforeCellPaint(TCanvas& canvas, PVirtualNode node, int column, const TRect& cellRect)
{
    if (column == StateColumn)
        PaintStateCell(canvas, cellRect, *Data(node));
}
