#pragma once

#include "toolkit/Canvas.h"
#include "toolkit/Exception.h"
#include "toolkit/Graphics.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QImage>
#include <cstddef>
#include <functional>
#include <new>
#include <type_traits>
#include <vector>

class QMenu;
class TPngImageList;
class TTreeHeader;

// One top-level row; its record lives in the same allocation, right after this header.
struct TVirtualNode {
    unsigned Index = 0; // position among the rows, kept current as rows go and move
    bool Selected = false;
};
using PVirtualNode = TVirtualNode*;

// What a tree needs to know about the record every row carries: its size and how to make and end it.
struct TNodeDataType {
    size_t Size = 0;
    void (*Construct)(void*) = nullptr;
    void (*Destroy)(void*) = nullptr;
    const void* Tag = nullptr; // identifies the record type; one per type across the program
};

// The record description of T; T is value-initialised (zero-filled) with its row and destroyed with it.
template <class T> const TNodeDataType& NodeDataTypeOf()
{
    static const char tag = 0;
    static const TNodeDataType type { sizeof(T), [](void* p) { new (p) T(); },
        [](void* p) { static_cast<T*>(p)->~T(); }, &tag };
    return type;
}

enum class TVTImageKind { Normal, Selected };

// A list of top-level rows in columns, drawn by the rows' owner through events. Rows are kept in a vector of
// fixed-size allocations (header and record together), and text, images and hints are asked for only for
// the rows on screen, so a hundred thousand rows cost no more to show than ten.
class TVirtualStringTree : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // Made with this program's list settings: columns 700 and 100, rows of 25, "Trebuchet MS" 16 px in
    // RGB(147,121,121) on RGB(233,234,238), border 5, vertical scroll bar always shown, no header.
    explicit TVirtualStringTree(QWidget* parent = nullptr);
    // Frees every row as Clear does (OnFreeNode, then the record).
    ~TVirtualStringTree() override;

    // The record type of the rows of every tree made afterwards without SetNodeDataType.
    static void SetDefaultNodeDataType(const TNodeDataType& type);
    // Sets the record type of this tree's rows; a different type only while it has no rows (else EListError).
    template <class T> void SetNodeDataType() { SetNodeDataType(NodeDataTypeOf<T>()); }
    void SetNodeDataType(const TNodeDataType& type);

    // Appends a row at the end with a fresh record; parent must be nullptr (no child rows: EListError).
    PVirtualNode AddChild(PVirtualNode parent);
    // The first row, or nullptr when there is none.
    PVirtualNode GetFirst() const;
    // The row after node, or nullptr after the last (and for nullptr).
    PVirtualNode GetNextSibling(PVirtualNode node) const;
    // The row at a 0-based index, or nullptr outside the rows.
    PVirtualNode GetNodeAtIndex(int index) const;
    unsigned RootNodeCount() const { return unsigned(m_rows.size()); }
    unsigned TotalCount() const { return RootNodeCount(); }
    // 0-based position of the row, or -1 for nullptr and for a node that is not one of this tree's rows.
    int IndexOf(PVirtualNode node) const;

    // The record of a row (nullptr for nullptr); EListError when T is not the tree's record type.
    template <class T> T* GetNodeData(PVirtualNode node)
    {
        if (!node)
            return nullptr;
        if (!m_dataType || m_dataType->Tag != NodeDataTypeOf<std::remove_cv_t<T>>().Tag)
            throw EListError("The rows of this list do not carry the record asked for");
        return static_cast<T*>(NodeData(node));
    }

    // Redraws one row (after the update bracket when inside one).
    void RepaintNode(PVirtualNode node);
    // Adds the row to the selection or takes it out; the other rows keep theirs. nullptr is ignored.
    void SetSelected(PVirtualNode node, bool value);
    // Makes the row the only selected one, and the anchor of a range the Shift key extends; nullptr selects none.
    void SelectOnly(PVirtualNode node);
    void SelectAll();
    bool Selected(PVirtualNode node) const { return IndexOf(node) >= 0 && node->Selected; }
    // The focused row when it is selected, else the first selected row; nullptr when none is.
    PVirtualNode SelectedNode() const;
    // The selected rows in list order.
    std::vector<PVirtualNode> SelectedNodes() const;
    unsigned SelectedCount() const { return m_selectedCount; }
    // Gives the control the keyboard focus.
    void SetFocus();
    PVirtualNode FocusedNode() const { return m_focused; }
    // Makes the row the focused one and scrolls it into view; nullptr clears the focus.
    void SetFocusedNode(PVirtualNode node);
    void ScrollIntoView(PVirtualNode node);
    // Deletes the selected rows, if any.
    void DeleteSelectedNodes();
    // Moves the rows (in list order, whatever order they are given in) together before the row now at index
    // before (the row count: to the end). Foreign nodes are left out.
    void MoveNodes(const std::vector<PVirtualNode>& nodes, unsigned before);
    // Moves every selected row one place up (delta -1) or down (+1), past the unselected row next to it; a
    // selected row at that end of the list stays, and so do the selected rows pressed against it.
    void MoveSelectedNodes(int delta);
    // Deletes one row: OnFreeNode, then the record and the row; the pointer is invalid afterwards.
    void DeleteNode(PVirtualNode node);
    // Deletes all rows.
    void Clear();
    // Brackets bulk changes: nothing is redrawn or re-measured until the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return m_updateCount > 0; }

    // Hit tests in viewport coordinates: the row there (nullptr below the last) and the column (-1 past the last).
    PVirtualNode GetNodeAt(const QPoint& pos) const;
    int ColumnAt(int x) const;
    // The rectangle of a row's cell in viewport coordinates (column -1: the whole row).
    QRect CellRect(PVirtualNode node, int column) const;
    // The hint of the cell under a viewport position, as OnGetHint answers it (empty when none).
    QString HintAt(const QPoint& pos);

    int ColumnCount() const { return int(m_columnWidths.size()); }
    int ColumnWidth(int column) const;
    void SetColumnWidths(const std::vector<int>& widths);
    // The columns' titles, which the header shows.
    void SetColumnTitles(const QStringList& titles);
    // The header above the rows, hidden at first; shown, it resizes a column when its right edge is dragged.
    TTreeHeader* Header() const { return m_header; }
    void SetHeaderVisible(bool visible);
    // The columns that take up what the client area gains or loses in width, shared out evenly; each keeps
    // 40 pixels at least. None at first: the columns keep their widths.
    void SetStretchColumns(const std::vector<int>& columns);
    int DefaultNodeHeight() const { return m_rowHeight; }
    void SetDefaultNodeHeight(int height);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int width);
    QFont TreeFont() const { return m_font; }
    void SetTreeFont(const QFont& font);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

    // The background picture: drawn at the offsets in the client area, fixed while the rows scroll.
    const QImage& Background() const { return m_background; }
    void SetBackground(const QImage& picture);
    int BackgroundOffsetX() const { return m_backgroundOffsetX; }
    int BackgroundOffsetY() const { return m_backgroundOffsetY; }
    void SetBackgroundOffsetX(int x);
    void SetBackgroundOffsetY(int y);

    // The images shown before the cells' text (not owned; nullptr shows none).
    TPngImageList* Images() const { return m_images; }
    void SetImages(TPngImageList* images);

    // The size of the client area, where rows and the background picture are drawn.
    int ClientWidth() const;
    int ClientHeight() const;

    // Events; unassigned ones are skipped. Handlers run from user input report their failures in the
    // application's error box.
    std::function<void(TVirtualStringTree* sender)> OnResize;
    std::function<void(TVirtualStringTree* sender, PVirtualNode node)> OnFreeNode;
    std::function<void(TVirtualStringTree* sender, PVirtualNode node, TVTImageKind kind, int column, int& imageIndex)>
        OnGetImageIndex;
    std::function<void(TVirtualStringTree* sender, PVirtualNode node, int column, QString& cellText)> OnGetText;
    std::function<void(TVirtualStringTree* sender, TCanvas& canvas, PVirtualNode node, int column)> OnPaintText;
    std::function<void(TVirtualStringTree* sender, PVirtualNode node, int column, QString& hintText)> OnGetHint;
    std::function<void(TVirtualStringTree* sender, PVirtualNode node, int column, const QPoint& pos, bool& askParent,
        QMenu*& popupMenu)>
        OnGetPopupMenu;
    std::function<void(TVirtualStringTree* sender, int column, Qt::KeyboardModifiers shift)> OnColumnClick;
    std::function<void(TVirtualStringTree* sender, int column, Qt::KeyboardModifiers shift)> OnColumnDblClick;
    std::function<void(TVirtualStringTree* sender, TCanvas& canvas, PVirtualNode node, int column,
        const TRect& cellRect, TRect& contentRect)>
        OnBeforeCellPaint;
    // Raised once a cell is painted, over its text and the selection's tint: what is drawn here keeps its colours.
    std::function<void(TVirtualStringTree* sender, TCanvas& canvas, PVirtualNode node, int column,
        const TRect& cellRect)>
        OnAfterCellPaint;
    // Raised first for every key pressed in the list; a handler that sets key to 0 has taken the key.
    std::function<void(TVirtualStringTree* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    // Asked before the selected rows are moved, by dragging them with the mouse or by Alt+Up and Alt+Down;
    // unassigned, rows do not move.
    std::function<void(TVirtualStringTree* sender, PVirtualNode node, int column, bool& allowed)> OnDragAllowed;

signals:
    // Rows came, went or moved, or an update bracket ended (its changes are not told one by one).
    void RowsChanged();
    // A row was redrawn outside an update bracket because it, or only its look, may have changed.
    void RowRepainted(PVirtualNode node);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    static constexpr size_t DataOffset = (sizeof(TVirtualNode) + alignof(std::max_align_t) - 1)
        / alignof(std::max_align_t) * alignof(std::max_align_t);
    static void* NodeData(PVirtualNode node) { return reinterpret_cast<char*>(node) + DataOffset; }

    void FreeNode(PVirtualNode node);
    void Changed();
    void UpdateScrollBars();
    void UpdateMargins();
    void PlaceHeader();
    void FitStretchColumns();
    void HeaderSectionResized(int column, int width);
    void Guarded(const std::function<void()>& handler);
    void PaintRow(QPainter& painter, PVirtualNode node, int top);
    // Moves the focus to the row at index (kept within the rows): it alone is selected, or with Shift the range
    // from the anchor to it, or with Ctrl the selection stays as it is.
    void MoveFocusTo(int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void SelectRange(PVirtualNode from, PVirtualNode to);
    bool DragAllowed(PVirtualNode node, int column);
    // The row boundary nearest to a viewport height, as the index of the row that a drop there goes before.
    unsigned DropIndexAt(int y) const;
    void EndDrag(bool drop);
    // Shows the menu OnGetPopupMenu answers for a viewport position, unless it is already open.
    void Popup(const QPoint& pos, const QPoint& globalPos);
    // The menu of the keyboard (Menu key, Shift+F10): at the selected row, or the top left corner without one.
    void PopupFromKeyboard();

    std::vector<PVirtualNode> m_rows;
    const TNodeDataType* m_dataType;
    unsigned m_selectedCount = 0;
    PVirtualNode m_anchor = nullptr;
    PVirtualNode m_focused = nullptr;
    // A plain press on a row of a selection picks that row alone only when it is released without a drag.
    PVirtualNode m_pressedSelected = nullptr;
    QPoint m_dragStart { -1, -1 };
    bool m_dragging = false;
    unsigned m_dropIndex = 0;
    int m_updateCount = 0;
    std::vector<int> m_columnWidths;
    std::vector<int> m_stretchColumns;
    TTreeHeader* m_header;
    bool m_settingWidths = false;
    int m_rowHeight = 25;
    TColor m_color;
    int m_borderWidth = 5;
    QFont m_font;
    TColor m_fontColor;
    QImage m_background;
    int m_backgroundOffsetX = 0;
    int m_backgroundOffsetY = 0;
    TPngImageList* m_images = nullptr;
    int m_pressedColumn = -1;
    bool m_keyboardFocus = false;
};

// Holds a tree's redrawing from construction to destruction, also when the work in between fails.
class TTreeUpdate
{
public:
    explicit TTreeUpdate(TVirtualStringTree* tree)
        : m_tree(tree)
    {
        m_tree->BeginUpdate();
    }
    ~TTreeUpdate() { m_tree->EndUpdate(); }
    TTreeUpdate(const TTreeUpdate&) = delete;
    TTreeUpdate& operator=(const TTreeUpdate&) = delete;

private:
    TVirtualStringTree* m_tree;
};
