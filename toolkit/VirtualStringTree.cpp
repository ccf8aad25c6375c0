#include "toolkit/VirtualStringTree.h"

#include "toolkit/Application.h"
#include "toolkit/KeyboardFocus.h"
#include "toolkit/PngImageList.h"
#include "toolkit/TreeHeader.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace
{

const TNodeDataType* defaultDataType = nullptr;

// Space before an image and between image and text, as the classic tree lays out a cell.
constexpr int Margin = 4;
constexpr int TextMargin = 4;
constexpr int HeaderHeight = 20;
constexpr int LeastStretchWidth = 40;

} // namespace

void TVirtualStringTree::SetDefaultNodeDataType(const TNodeDataType& type)
{
    defaultDataType = &type;
}

TVirtualStringTree::TVirtualStringTree(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_dataType(defaultDataType)
    , m_columnWidths { 700, 100 }
    , m_header(new TTreeHeader(this))
    , m_color(RGB(233, 234, 238))
    , m_font("Trebuchet MS")
    , m_fontColor(RGB(147, 121, 121))
{
    m_font.setPixelSize(16);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(m_rowHeight);
    m_header->hide();
    m_header->setFixedHeight(HeaderHeight);
    connect(m_header, &QHeaderView::sectionResized, this,
        [this](int column, int, int width) { HeaderSectionResized(column, width); });
    SetColumnTitles({});
    SetColor(m_color);
    UpdateMargins();
}

TVirtualStringTree::~TVirtualStringTree()
{
    m_updateCount = 1; // no repaint of a widget on its way out
    Clear();
}

void TVirtualStringTree::SetNodeDataType(const TNodeDataType& type)
{
    if (m_dataType && m_dataType->Tag == type.Tag)
        return;
    if (!m_rows.empty())
        throw EListError("The record type of a list cannot change while it has rows");
    m_dataType = &type;
}

PVirtualNode TVirtualStringTree::AddChild(PVirtualNode parent)
{
    if (parent)
        throw EListError("This list has top-level rows only");
    const size_t dataSize = m_dataType ? m_dataType->Size : 0;
    void* memory = ::operator new(DataOffset + dataSize);
    auto* node = new (memory) TVirtualNode;
    node->Index = unsigned(m_rows.size());
    if (m_dataType)
        m_dataType->Construct(NodeData(node));
    m_rows.push_back(node);
    Changed();
    return node;
}

PVirtualNode TVirtualStringTree::GetFirst() const
{
    return m_rows.empty() ? nullptr : m_rows.front();
}

PVirtualNode TVirtualStringTree::GetNextSibling(PVirtualNode node) const
{
    const int index = IndexOf(node);
    return index < 0 ? nullptr : GetNodeAtIndex(index + 1);
}

PVirtualNode TVirtualStringTree::GetNodeAtIndex(int index) const
{
    return index >= 0 && size_t(index) < m_rows.size() ? m_rows[size_t(index)] : nullptr;
}

int TVirtualStringTree::IndexOf(PVirtualNode node) const
{
    if (!node || node->Index >= m_rows.size() || m_rows[node->Index] != node)
        return -1;
    return int(node->Index);
}

void TVirtualStringTree::RepaintNode(PVirtualNode node)
{
    if (m_updateCount > 0 || IndexOf(node) < 0)
        return;
    emit RowRepainted(node);
    const QRect rect = CellRect(node, -1);
    if (rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

void TVirtualStringTree::SetSelected(PVirtualNode node, bool value)
{
    if (IndexOf(node) < 0 || node->Selected == value)
        return;
    node->Selected = value;
    value ? ++m_selectedCount : --m_selectedCount;
    RepaintNode(node);
}

void TVirtualStringTree::SelectOnly(PVirtualNode node)
{
    if (node && IndexOf(node) < 0)
        return;
    for (PVirtualNode row : SelectedNodes())
        if (row != node)
            SetSelected(row, false);
    SetSelected(node, true);
    m_anchor = node;
}

void TVirtualStringTree::SelectAll()
{
    for (PVirtualNode row : m_rows)
        SetSelected(row, true);
}

void TVirtualStringTree::SelectRange(PVirtualNode from, PVirtualNode to)
{
    int first = IndexOf(from);
    int last = IndexOf(to);
    if (first < 0)
        first = last;
    if (first > last)
        std::swap(first, last);
    for (int i = 0; i < int(m_rows.size()); ++i)
        SetSelected(m_rows[size_t(i)], i >= first && i <= last);
}

PVirtualNode TVirtualStringTree::SelectedNode() const
{
    if (Selected(m_focused))
        return m_focused;
    if (m_selectedCount == 0)
        return nullptr;
    const auto found = std::find_if(m_rows.begin(), m_rows.end(), [](PVirtualNode row) { return row->Selected; });
    return found == m_rows.end() ? nullptr : *found;
}

std::vector<PVirtualNode> TVirtualStringTree::SelectedNodes() const
{
    std::vector<PVirtualNode> selected;
    if (m_selectedCount > 0)
        std::copy_if(
            m_rows.begin(), m_rows.end(), std::back_inserter(selected), [](PVirtualNode row) { return row->Selected; });
    return selected;
}

void TVirtualStringTree::SetFocus()
{
    setFocus(Qt::OtherFocusReason);
}

void TVirtualStringTree::SetFocusedNode(PVirtualNode node)
{
    if (node && IndexOf(node) < 0)
        return;
    PVirtualNode before = m_focused;
    m_focused = node;
    RepaintNode(before);
    RepaintNode(node);
    ScrollIntoView(node);
}

void TVirtualStringTree::ScrollIntoView(PVirtualNode node)
{
    const int index = IndexOf(node);
    if (index < 0)
        return;
    if (m_updateCount > 0)
        UpdateScrollBars();
    QScrollBar* bar = verticalScrollBar();
    const int top = index * m_rowHeight;
    if (top < bar->value())
        bar->setValue(top);
    else if (top + m_rowHeight > bar->value() + ClientHeight())
        bar->setValue(top + m_rowHeight - ClientHeight());
}

void TVirtualStringTree::DeleteSelectedNodes()
{
    TTreeUpdate update(this);
    for (PVirtualNode node : SelectedNodes())
        DeleteNode(node);
}

void TVirtualStringTree::MoveNodes(const std::vector<PVirtualNode>& nodes, unsigned before)
{
    std::vector<PVirtualNode> moving;
    for (PVirtualNode node : nodes)
        if (IndexOf(node) >= 0 && std::find(moving.begin(), moving.end(), node) == moving.end())
            moving.push_back(node);
    std::sort(moving.begin(), moving.end(), [](PVirtualNode a, PVirtualNode b) { return a->Index < b->Index; });
    if (moving.empty())
        return;
    // The rows before the insertion point that move away shift it up by one each.
    unsigned at = std::min<unsigned>(before, unsigned(m_rows.size()));
    at -= unsigned(std::count_if(moving.begin(), moving.end(), [at](PVirtualNode node) { return node->Index < at; }));
    std::vector<PVirtualNode> staying;
    std::copy_if(m_rows.begin(), m_rows.end(), std::back_inserter(staying),
        [&moving](PVirtualNode row) { return std::find(moving.begin(), moving.end(), row) == moving.end(); });
    staying.insert(staying.begin() + at, moving.begin(), moving.end());
    if (staying == m_rows)
        return;
    m_rows.swap(staying);
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i]->Index = unsigned(i);
    Changed();
}

void TVirtualStringTree::MoveSelectedNodes(int delta)
{
    if (m_selectedCount == 0 || (delta != -1 && delta != 1))
        return;
    const int count = int(m_rows.size());
    bool moved = false;
    // Walking towards the end the rows move to, a selected row swaps with the unselected one it passes.
    for (int step = 0; step < count; ++step) {
        const int i = delta < 0 ? step : count - 1 - step;
        const int j = i + delta;
        if (j < 0 || j >= count || !m_rows[size_t(i)]->Selected || m_rows[size_t(j)]->Selected)
            continue;
        std::swap(m_rows[size_t(i)], m_rows[size_t(j)]);
        m_rows[size_t(i)]->Index = unsigned(i);
        m_rows[size_t(j)]->Index = unsigned(j);
        moved = true;
    }
    if (!moved)
        return;
    Changed();
    ScrollIntoView(m_focused);
}

void TVirtualStringTree::DeleteNode(PVirtualNode node)
{
    const int index = IndexOf(node);
    if (index < 0)
        return;
    m_rows.erase(m_rows.begin() + index);
    for (size_t i = size_t(index); i < m_rows.size(); ++i)
        m_rows[i]->Index = unsigned(i);
    if (node->Selected)
        --m_selectedCount;
    if (m_anchor == node)
        m_anchor = nullptr;
    if (m_pressedSelected == node)
        m_pressedSelected = nullptr;
    if (m_focused == node)
        m_focused = nullptr;
    FreeNode(node);
    Changed();
}

void TVirtualStringTree::Clear()
{
    std::vector<PVirtualNode> rows;
    rows.swap(m_rows);
    m_selectedCount = 0;
    m_anchor = nullptr;
    m_pressedSelected = nullptr;
    m_focused = nullptr;
    for (PVirtualNode node : rows)
        FreeNode(node);
    Changed();
}

void TVirtualStringTree::FreeNode(PVirtualNode node)
{
    // The row is already out of the list, so a handler that walks the rows does not meet it again.
    if (OnFreeNode)
        OnFreeNode(this, node);
    if (m_dataType)
        m_dataType->Destroy(NodeData(node));
    node->~TVirtualNode();
    ::operator delete(node);
}

void TVirtualStringTree::BeginUpdate()
{
    ++m_updateCount;
}

void TVirtualStringTree::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0)
        Changed();
}

void TVirtualStringTree::Changed()
{
    if (m_updateCount > 0)
        return;
    emit RowsChanged();
    UpdateScrollBars();
    viewport()->update();
}

void TVirtualStringTree::UpdateScrollBars()
{
    QScrollBar* bar = verticalScrollBar();
    const qint64 contentHeight = qint64(m_rows.size()) * m_rowHeight;
    const int page = std::max(0, ClientHeight());
    bar->setPageStep(page);
    bar->setSingleStep(m_rowHeight);
    bar->setRange(0, int(std::clamp<qint64>(contentHeight - page, 0, INT_MAX)));
}

void TVirtualStringTree::UpdateMargins()
{
    const int header = m_header->isVisibleTo(this) ? HeaderHeight : 0;
    setViewportMargins(m_borderWidth, m_borderWidth + header, m_borderWidth, m_borderWidth);
    PlaceHeader();
}

void TVirtualStringTree::PlaceHeader()
{
    m_header->setGeometry(m_borderWidth, m_borderWidth, viewport()->width(), HeaderHeight);
}

PVirtualNode TVirtualStringTree::GetNodeAt(const QPoint& pos) const
{
    if (pos.y() < 0 || pos.x() < 0)
        return nullptr;
    const qint64 index = (qint64(pos.y()) + verticalScrollBar()->value()) / m_rowHeight;
    return index < qint64(m_rows.size()) ? m_rows[size_t(index)] : nullptr;
}

int TVirtualStringTree::ColumnAt(int x) const
{
    int left = 0;
    for (int column = 0; column < ColumnCount(); ++column) {
        const int right = left + m_columnWidths[size_t(column)];
        if (x >= left && x < right)
            return column;
        left = right;
    }
    return -1;
}

QRect TVirtualStringTree::CellRect(PVirtualNode node, int column) const
{
    const int index = IndexOf(node);
    if (index < 0)
        return {};
    const int top = int(qint64(index) * m_rowHeight - verticalScrollBar()->value());
    if (column < 0)
        return QRect(0, top, std::max(ClientWidth(), 1), m_rowHeight);
    int left = 0;
    for (int c = 0; c < column && c < ColumnCount(); ++c)
        left += m_columnWidths[size_t(c)];
    return QRect(left, top, ColumnWidth(column), m_rowHeight);
}

QString TVirtualStringTree::HintAt(const QPoint& pos)
{
    QString hint;
    PVirtualNode node = GetNodeAt(pos);
    const int column = ColumnAt(pos.x());
    if (node && column >= 0 && OnGetHint)
        OnGetHint(this, node, column, hint);
    return hint;
}

int TVirtualStringTree::ColumnWidth(int column) const
{
    return column >= 0 && column < ColumnCount() ? m_columnWidths[size_t(column)] : 0;
}

void TVirtualStringTree::SetColumnWidths(const std::vector<int>& widths)
{
    m_columnWidths = widths;
    m_settingWidths = true;
    if (m_header->count() != ColumnCount())
        m_header->SetTitles(QStringList(ColumnCount(), QString()));
    for (int column = 0; column < ColumnCount(); ++column)
        m_header->resizeSection(column, m_columnWidths[size_t(column)]);
    m_settingWidths = false;
    viewport()->update();
}

void TVirtualStringTree::SetColumnTitles(const QStringList& titles)
{
    QStringList all = titles;
    while (all.size() < ColumnCount())
        all.append(QString());
    m_header->SetTitles(all.mid(0, ColumnCount()));
    SetColumnWidths(m_columnWidths);
}

void TVirtualStringTree::SetHeaderVisible(bool visible)
{
    m_header->setVisible(visible);
    UpdateMargins();
}

void TVirtualStringTree::SetStretchColumns(const std::vector<int>& columns)
{
    m_stretchColumns = columns;
    FitStretchColumns();
}

void TVirtualStringTree::HeaderSectionResized(int column, int width)
{
    if (m_settingWidths || column < 0 || column >= ColumnCount())
        return;
    m_columnWidths[size_t(column)] = width;
    viewport()->update();
}

// What the columns lack of the client's width, or have too much, is shared out among the stretch columns.
void TVirtualStringTree::FitStretchColumns()
{
    if (m_stretchColumns.empty() || ClientWidth() <= 0)
        return;
    std::vector<int> widths = m_columnWidths;
    int spare = ClientWidth();
    for (int width : widths)
        spare -= width;
    for (size_t i = 0; i < m_stretchColumns.size(); ++i) {
        const int column = m_stretchColumns[i];
        if (column < 0 || column >= ColumnCount())
            continue;
        const int share = spare / int(m_stretchColumns.size() - i);
        int& width = widths[size_t(column)];
        const int changed = std::max(LeastStretchWidth, width + share);
        spare -= changed - width;
        width = changed;
    }
    SetColumnWidths(widths);
}

void TVirtualStringTree::SetDefaultNodeHeight(int height)
{
    m_rowHeight = std::max(1, height);
    Changed();
}

void TVirtualStringTree::SetColor(TColor color)
{
    m_color = color;
    // The border around the rows is painted by the frame widget in the same colour.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColorToRGB(color));
    setPalette(palette);
    viewport()->update();
}

void TVirtualStringTree::SetBorderWidth(int width)
{
    m_borderWidth = std::max(0, width);
    UpdateMargins();
}

void TVirtualStringTree::SetTreeFont(const QFont& font)
{
    m_font = font;
    viewport()->update();
}

void TVirtualStringTree::SetFontColor(TColor color)
{
    m_fontColor = color;
    viewport()->update();
}

void TVirtualStringTree::SetBackground(const QImage& picture)
{
    m_background = picture;
    viewport()->update();
}

void TVirtualStringTree::SetBackgroundOffsetX(int x)
{
    m_backgroundOffsetX = x;
    viewport()->update();
}

void TVirtualStringTree::SetBackgroundOffsetY(int y)
{
    m_backgroundOffsetY = y;
    viewport()->update();
}

void TVirtualStringTree::SetImages(TPngImageList* images)
{
    m_images = images;
    viewport()->update();
}

int TVirtualStringTree::ClientWidth() const
{
    return viewport()->width();
}

int TVirtualStringTree::ClientHeight() const
{
    return viewport()->height();
}

void TVirtualStringTree::Guarded(const std::function<void()>& handler)
{
    if (Application)
        Application->Guard(handler);
    else
        handler();
}

void TVirtualStringTree::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), ColorToRGB(m_color));
    if (!m_background.isNull())
        painter.drawImage(m_backgroundOffsetX, m_backgroundOffsetY, m_background);
    const int offset = verticalScrollBar()->value();
    for (size_t i = size_t(offset / m_rowHeight); i < m_rows.size(); ++i) {
        const int top = int(qint64(i) * m_rowHeight - offset);
        if (top >= ClientHeight())
            break;
        PaintRow(painter, m_rows[i], top);
    }
    // Where the dragged rows would go: a line on the row boundary.
    if (m_dragging) {
        const int y = int(qint64(m_dropIndex) * m_rowHeight - offset);
        painter.fillRect(QRect(0, y - 1, ClientWidth(), 2), ColorToRGB(m_fontColor));
    }
    // Rows show no focus rectangle, so the list as a whole shows that Tab brought the keys to it.
    if (hasFocus() && m_keyboardFocus) {
        painter.setPen(QPen(ColorToRGB(m_fontColor), 1, Qt::DotLine));
        painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
    }
}

void TVirtualStringTree::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    m_keyboardFocus = ShowsFocusMark(event, m_keyboardFocus);
    viewport()->update();
}

void TVirtualStringTree::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TVirtualStringTree::PaintRow(QPainter& painter, PVirtualNode node, int top)
{
    const bool selected = node->Selected;
    QColor selection = palette().color(hasFocus() ? QPalette::Highlight : QPalette::Button);
    selection.setAlpha(96);
    int left = 0;
    for (int column = 0; column < ColumnCount(); ++column) {
        const int width = m_columnWidths[size_t(column)];
        const TRect cell { left, top, left + width, top + m_rowHeight };
        left += width;
        TRect content = cell;
        painter.save();
        painter.setClipRect(cell.ToQRect());
        TCanvas canvas(painter);
        canvas.BrushColor = m_color;
        canvas.PenColor = m_fontColor;
        canvas.Font = m_font;
        canvas.FontColor = m_fontColor;
        if (OnBeforeCellPaint)
            OnBeforeCellPaint(this, canvas, node, column, cell, content);
        if (selected)
            painter.fillRect(cell.ToQRect(), selection);
        int textLeft = content.Left + Margin;
        int imageIndex = -1;
        if (OnGetImageIndex)
            OnGetImageIndex(this, node, selected ? TVTImageKind::Selected : TVTImageKind::Normal, column, imageIndex);
        if (m_images && imageIndex >= 0) {
            m_images->Draw(painter, textLeft, top + (m_rowHeight - m_images->Height()) / 2, imageIndex);
            textLeft += m_images->Width() + TextMargin;
        }
        QString text;
        if (OnGetText)
            OnGetText(this, node, column, text);
        if (!text.isEmpty()) {
            canvas.Font = m_font;
            canvas.FontColor = m_fontColor;
            if (OnPaintText)
                OnPaintText(this, canvas, node, column);
            const TRect textRect { textLeft, content.Top, content.Right - TextMargin, content.Bottom };
            const QString shown = QFontMetrics(canvas.Font).elidedText(text, Qt::ElideMiddle, textRect.Width());
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            canvas.TextRect(textRect, shown, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);
        }
        if (OnAfterCellPaint) {
            canvas.BrushColor = m_color;
            canvas.PenColor = m_fontColor;
            canvas.Font = m_font;
            canvas.FontColor = m_fontColor;
            OnAfterCellPaint(this, canvas, node, column, cell);
        }
        painter.restore();
    }
}

void TVirtualStringTree::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    PlaceHeader();
    FitStretchColumns();
    UpdateScrollBars();
    if (OnResize)
        Guarded([this] { OnResize(this); });
}

void TVirtualStringTree::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    PVirtualNode node = GetNodeAt(pos);
    m_pressedColumn = ColumnAt(pos.x());
    m_pressedSelected = nullptr;
    SetFocus();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton && node) {
        if (modifiers & Qt::ShiftModifier) {
            SelectRange(m_anchor, node);
        } else if (modifiers & Qt::ControlModifier) {
            SetSelected(node, !node->Selected);
            m_anchor = node;
        } else if (node->Selected && m_selectedCount > 1) {
            // The selection may be about to be dragged.
            m_pressedSelected = node;
        } else {
            SelectOnly(node);
        }
        SetFocusedNode(node);
        if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier)) && DragAllowed(node, m_pressedColumn))
            m_dragStart = pos;
    } else if (event->button() == Qt::RightButton && node) {
        // The menu acts on the selection the right click was made on; outside it, on the row under the mouse.
        if (!node->Selected)
            SelectOnly(node);
        SetFocusedNode(node);
    } else if (event->button() == Qt::LeftButton && !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
        SelectOnly(nullptr);
        SetFocusedNode(nullptr);
    }
    event->accept();
}

void TVirtualStringTree::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || m_dragStart.x() < 0) {
        event->ignore();
        return;
    }
    if (!m_dragging && (pos - m_dragStart).manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    m_pressedSelected = nullptr;
    // Held past the top or bottom edge, the list scrolls a row at a time.
    QScrollBar* bar = verticalScrollBar();
    if (pos.y() < 0)
        bar->setValue(bar->value() - m_rowHeight);
    else if (pos.y() >= ClientHeight())
        bar->setValue(bar->value() + m_rowHeight);
    m_dropIndex = DropIndexAt(pos.y());
    viewport()->update();
    event->accept();
}

unsigned TVirtualStringTree::DropIndexAt(int y) const
{
    const qint64 content = std::max<qint64>(0, qint64(y) + verticalScrollBar()->value());
    return unsigned(std::min<qint64>((content + m_rowHeight / 2) / m_rowHeight, qint64(m_rows.size())));
}

void TVirtualStringTree::EndDrag(bool drop)
{
    const bool dragged = m_dragging;
    m_dragging = false;
    m_dragStart = QPoint(-1, -1);
    if (!dragged)
        return;
    viewport()->update();
    // Asked again: a batch may have started while the mouse was held.
    if (drop && DragAllowed(m_focused, m_pressedColumn))
        MoveNodes(SelectedNodes(), m_dropIndex);
}

bool TVirtualStringTree::DragAllowed(PVirtualNode node, int column)
{
    bool allowed = false;
    if (OnDragAllowed)
        Guarded([&] { OnDragAllowed(this, node, column, allowed); });
    return allowed;
}

void TVirtualStringTree::mouseReleaseEvent(QMouseEvent* event)
{
    const int column = ColumnAt(event->position().toPoint().x());
    if (event->button() == Qt::LeftButton) {
        EndDrag(true);
        if (m_pressedSelected)
            SelectOnly(m_pressedSelected);
        m_pressedSelected = nullptr;
    }
    if (event->button() == Qt::LeftButton && column >= 0 && column == m_pressedColumn && OnColumnClick)
        Guarded([&] { OnColumnClick(this, column, event->modifiers()); });
    m_pressedColumn = -1;
    event->accept();
}

void TVirtualStringTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click selects like the first, so the handler sees the row under the cursor.
    mousePressEvent(event);
    const int column = ColumnAt(event->position().toPoint().x());
    if (event->button() == Qt::LeftButton && column >= 0 && OnColumnDblClick)
        Guarded([&] { OnColumnDblClick(this, column, event->modifiers()); });
    event->accept();
}

void TVirtualStringTree::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        PopupFromKeyboard();
    else
        Popup(event->pos(), event->globalPos());
    event->accept();
}

void TVirtualStringTree::PopupFromKeyboard()
{
    PVirtualNode selected = SelectedNode();
    ScrollIntoView(selected);
    const QRect rect = selected ? CellRect(selected, 0) : QRect();
    const QPoint pos = rect.isValid() ? rect.center() : QPoint(0, 0);
    Popup(pos, viewport()->mapToGlobal(pos));
}

void TVirtualStringTree::Popup(const QPoint& pos, const QPoint& globalPos)
{
    PVirtualNode node = GetNodeAt(pos);
    const int column = ColumnAt(pos.x());
    QMenu* menu = nullptr;
    bool askParent = true;
    if (OnGetPopupMenu)
        Guarded([&] { OnGetPopupMenu(this, node, column, pos, askParent, menu); });
    // Some platforms send the Menu key both as a key and as a menu request: one menu for both.
    if (menu && !menu->isVisible())
        menu->popup(globalPos);
}

void TVirtualStringTree::MoveFocusTo(int index, Qt::KeyboardModifiers modifiers)
{
    if (m_rows.empty())
        return;
    PVirtualNode node = m_rows[size_t(std::clamp(index, 0, int(m_rows.size()) - 1))];
    if (!m_anchor)
        m_anchor = m_focused ? m_focused : node;
    if (modifiers & Qt::ShiftModifier)
        SelectRange(m_anchor, node);
    else if (!(modifiers & Qt::ControlModifier))
        SelectOnly(node);
    SetFocusedNode(node);
}

void TVirtualStringTree::keyPressEvent(QKeyEvent* event)
{
    if (OnKeyDown) {
        int key = event->key();
        Guarded([&] { OnKeyDown(this, key, event->modifiers()); });
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        PopupFromKeyboard();
        event->accept();
        return;
    }
    if (m_dragging && event->key() == Qt::Key_Escape) {
        EndDrag(false);
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::AltModifier && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        if (DragAllowed(m_focused, 0))
            MoveSelectedNodes(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        event->accept();
        return;
    }
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_Space) {
        SetSelected(m_focused, !Selected(m_focused));
        m_anchor = m_focused;
        event->accept();
        return;
    }
    const int current = IndexOf(m_focused);
    const int page = std::max(1, ClientHeight() / m_rowHeight);
    switch (event->key()) {
    case Qt::Key_Down:
        MoveFocusTo(current + 1, modifiers);
        break;
    case Qt::Key_Up:
        MoveFocusTo(current < 0 ? 0 : current - 1, modifiers);
        break;
    case Qt::Key_PageDown:
        MoveFocusTo(current + page, modifiers);
        break;
    case Qt::Key_PageUp:
        MoveFocusTo(current - page, modifiers);
        break;
    case Qt::Key_Home:
        MoveFocusTo(0, modifiers);
        break;
    case Qt::Key_End:
        MoveFocusTo(int(m_rows.size()) - 1, modifiers);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool TVirtualStringTree::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QString hint;
        Guarded([&] { hint = HintAt(help->pos()); });
        PVirtualNode node = GetNodeAt(help->pos());
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), hint, viewport(), CellRect(node, ColumnAt(help->pos().x())));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TVirtualStringTree::scrollContentsBy(int, int)
{
    // The background picture stays where it is, so the whole client area is drawn again.
    viewport()->update();
}
