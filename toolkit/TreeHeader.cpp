#include "toolkit/TreeHeader.h"

#include <QPainter>
#include <QStandardItemModel>

namespace
{

constexpr int TextMargin = 4;

} // namespace

TTreeHeader::TTreeHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_titles(new QStandardItemModel(this))
{
    setModel(m_titles);
    setSectionsClickable(false);
    setSectionsMovable(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setMinimumSectionSize(24);
    setHighlightSections(false);
}

void TTreeHeader::SetTitles(const QStringList& titles)
{
    m_titles->setColumnCount(int(titles.size()));
    m_titles->setHorizontalHeaderLabels(titles);
}

void TTreeHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(rect, ColorToRGB(Color));
    painter->fillRect(rect.left(), rect.bottom(), rect.width(), 1, ColorToRGB(LineColor));
    painter->fillRect(rect.right(), rect.top() + 3, 1, rect.height() - 6, ColorToRGB(LineColor));
    painter->setPen(ColorToRGB(TextColor));
    painter->setFont(font());
    const QRect text = rect.adjusted(TextMargin, 0, -TextMargin, -1);
    const QString title = m_titles->headerData(logicalIndex, Qt::Horizontal).toString();
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        fontMetrics().elidedText(title, Qt::ElideRight, text.width()));
    painter->restore();
}
