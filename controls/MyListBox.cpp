#include "controls/MyListBox.h"

#include "toolkit/Canvas.h"
#include "toolkit/PngImageList.h"

#include <QPainter>
#include <QStyledItemDelegate>

// Stands in for the owner-draw notification: Qt asks the delegate to paint each visible item.
class TMyListBox::TItemPainter : public QStyledItemDelegate {
public:
    explicit TItemPainter(TMyListBox& list)
        : QStyledItemDelegate(&list)
        , m_list(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(0, m_list.m_itemHeight);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const bool focused = option.state & QStyle::State_HasFocus;
        const QString text = index.data(Qt::DisplayRole).toString();
        painter->save();
        TCanvas canvas(*painter);
        canvas.Font = m_list.font();
        canvas.BrushColor = selected ? clHighlight : m_list.m_color;
        canvas.FontColor = selected ? clHighlightText : m_list.m_fontColor;

        TRect rc = TRect::FromQRect(option.rect);
        const QFontMetrics metrics(canvas.Font);
        if (metrics.horizontalAdvance(text) >= m_list.width())
            rc.Right = rc.Left + m_list.width();
        canvas.FillRect(rc);
        if (selected || focused) {
            canvas.PenColor = RGB(181, 178, 255);
            canvas.BrushColor = RGB(181, 178, 255);
            canvas.Rectangle(rc);
            canvas.FontColor = clBlue;
        }
        int imageWidth = 0;
        if (const TPngImageList* images = m_list.m_imageList) {
            images->Draw(
                *painter, rc.Left + 4, rc.Top + (m_list.m_itemHeight - images->Height()) / 2, m_list.m_imageIndex);
            imageWidth = images->Width();
        }
        canvas.TextOut(rc.Left + imageWidth + 8, rc.Top + (m_list.m_itemHeight - metrics.height()) / 2, text);
        painter->restore();
    }

private:
    TMyListBox& m_list;
};

TMyListBox::TMyListBox(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new TItemPainter(*this));
    setUniformItemSizes(true);
    SetColor(m_color);
}

void TMyListBox::SetImageList(TPngImageList* images)
{
    m_imageList = images;
    viewport()->update();
}

void TMyListBox::SetImageIndex(int index)
{
    m_imageIndex = index;
    viewport()->update();
}

void TMyListBox::SetItemHeight(int height)
{
    m_itemHeight = height;
    // The view caches item sizes; a fresh delegate hint makes it lay the items out again.
    doItemsLayout();
}

void TMyListBox::SetColor(TColor color)
{
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, ColorToRGB(color));
    setPalette(p);
}

void TMyListBox::SetFontColor(TColor color)
{
    m_fontColor = color;
    viewport()->update();
}
