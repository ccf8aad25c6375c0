#include "controls/LinePanelUnit.h"

#include "toolkit/Canvas.h"

#include <QEvent>
#include <QPainter>

TLinePanel::TLinePanel(QWidget* parent)
    : QWidget(parent)
{
    // Paints every pixel itself: nothing of the parent needs to be drawn first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 0, 185, 41);
}

void TLinePanel::SetLineColor(TColor color)
{
    m_lineColor = color;
    update();
}

void TLinePanel::SetLineBorders(TLineBorders borders)
{
    m_lineBorders = borders;
    update();
}

TColor TLinePanel::Color() const
{
    if (m_parentColor)
        return ColorFromQColor(palette().color(QPalette::Window));
    return m_color;
}

void TLinePanel::SetColor(TColor color)
{
    m_color = color;
    m_parentColor = false;
    update();
}

void TLinePanel::SetParentColor(bool value)
{
    m_parentColor = value;
    update();
}

void TLinePanel::SetCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

void TLinePanel::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    update();
}

void TLinePanel::SetFontColor(TColor color)
{
    m_fontColor = color;
    update();
}

void TLinePanel::SetBorderWidth(int width)
{
    m_borderWidth = width;
    setContentsMargins(width, width, width, width);
}

void TLinePanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange
        || event->type() == QEvent::FontChange)
        update();
}

void TLinePanel::paintEvent(QPaintEvent*)
{
    int flags = Qt::TextSingleLine | Qt::AlignVCenter | Qt::TextShowMnemonic;
    if (m_alignment == taLeftJustify)
        flags |= Qt::AlignLeft;
    else if (m_alignment == taRightJustify)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignHCenter;

    const TRect r = TRect::FromQRect(rect());
    QPainter painter(this);
    TCanvas canvas(painter);
    canvas.FillRect(r, Color());
    canvas.PenColor = m_lineColor;
    if (m_lineBorders & LineBorderBit(lbTop)) {
        canvas.MoveTo(r.Left, r.Top);
        canvas.LineTo(r.Right, r.Top);
    }
    if (m_lineBorders & LineBorderBit(lbLeft)) {
        canvas.MoveTo(r.Left, r.Top);
        canvas.LineTo(r.Left, r.Bottom);
    }
    if (m_lineBorders & LineBorderBit(lbRight)) {
        canvas.MoveTo(r.Right - 1, r.Top);
        canvas.LineTo(r.Right - 1, r.Bottom);
    }
    if (m_lineBorders & LineBorderBit(lbBottom)) {
        canvas.MoveTo(r.Left, r.Bottom - 1);
        canvas.LineTo(r.Right, r.Bottom - 1);
    }
    if (m_caption.isEmpty())
        return;
    canvas.Font = font();
    canvas.BrushClear = true;
    if (isEnabled()) {
        canvas.FontColor = m_fontColor;
        canvas.TextRect(r, m_caption, flags);
    } else {
        canvas.FontColor = clBtnHighlight;
        canvas.TextRect({r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1}, m_caption, flags);
        canvas.FontColor = clBtnShadow;
        canvas.TextRect(r, m_caption, flags);
    }
}
