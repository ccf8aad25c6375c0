#include "controls/PngSpeedButton.h"

#include "toolkit/PixelRatio.h"
#include "toolkit/PngEffects.h"
#include "toolkit/PngImageList.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

TPngSpeedButton::TPngSpeedButton(QWidget* parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    resize(23, 22);
    connect(this, &QToolButton::clicked, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}

void TPngSpeedButton::SetPngImage(const QImage& image)
{
    // Qt's PNG reader applies no gamma correction unless asked to, which is what dropping the gAMA chunk
    // achieves elsewhere: colours come out as stored.
    m_pngImage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_imageFromAction = false;
    repaint();
}

void TPngSpeedButton::SetPngOptions(TPngOptions options)
{
    if (options == m_pngOptions)
        return;
    m_pngOptions = options;
    repaint();
}

void TPngSpeedButton::ActionChange(const TPngImageList* images, int imageIndex)
{
    if (!m_pngImage.isNull() && !m_imageFromAction)
        return;
    if (!images || imageIndex < 0 || imageIndex >= images->Count())
        return;
    m_pngImage = images->Image(imageIndex);
    m_imageFromAction = true;
    update();
}

void TPngSpeedButton::SetCaption(const QString& caption)
{
    setText(caption);
    update();
}

void TPngSpeedButton::SetDown(bool value)
{
    setCheckable(true);
    setChecked(value);
}

void TPngSpeedButton::SetLayout(TButtonLayout layout)
{
    m_layout = layout;
    update();
}

void TPngSpeedButton::SetMargin(int margin)
{
    m_margin = margin;
    update();
}

void TPngSpeedButton::SetSpacing(int spacing)
{
    m_spacing = spacing;
    update();
}

TPngSpeedButton::TLayoutResult TPngSpeedButton::CalcLayout() const
{
    TButtonLayout layout = m_layout;
    if (layoutDirection() == Qt::RightToLeft) {
        if (layout == blGlyphLeft)
            layout = blGlyphRight;
        else if (layout == blGlyphRight)
            layout = blGlyphLeft;
    }
    const QRect client = rect();
    const int cx = client.width();
    const int cy = client.height();
    const int gx = LogicalSize(m_pngImage).width();
    const int gy = LogicalSize(m_pngImage).height();
    QSize textSize(0, 0);
    if (!text().isEmpty())
        textSize = fontMetrics().boundingRect(QRect(0, 0, cx, 0), Qt::TextShowMnemonic, text()).size();
    const int tx = textSize.width();
    const int ty = textSize.height();
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

    QPoint glyph;
    QPoint textAt;
    if (horizontal) {
        glyph.setY((cy - gy + 1) / 2);
        textAt.setY((cy - ty + 1) / 2);
    } else {
        glyph.setX((cx - gx + 1) / 2);
        textAt.setX((cx - tx + 1) / 2);
    }
    const int clientSize = horizontal ? cx : cy;
    const int glyphSize = horizontal ? gx : gy;
    const int textSizeAlong = horizontal ? tx : ty;
    int spacing = (tx == 0 || gx == 0) ? 0 : m_spacing;
    int margin = m_margin;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (clientSize - glyphSize - textSizeAlong) / 3;
            spacing = margin;
        } else {
            margin = (clientSize - glyphSize - spacing - textSizeAlong) / 2;
        }
    } else if (spacing == -1) {
        spacing = (clientSize - margin - glyphSize - textSizeAlong) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        glyph.setX(margin);
        textAt.setX(margin + gx + spacing);
        break;
    case blGlyphRight:
        glyph.setX(cx - margin - gx);
        textAt.setX(glyph.x() - spacing - tx);
        break;
    case blGlyphTop:
        glyph.setY(margin);
        textAt.setY(margin + gy + spacing);
        break;
    case blGlyphBottom:
        glyph.setY(cy - margin - gy);
        textAt.setY(glyph.y() - spacing - ty);
        break;
    }
    const int offset = (isDown() || isChecked()) ? 1 : 0;
    const QPoint shift = client.topLeft() + QPoint(offset, offset);
    return { glyph + shift, QRect(textAt + shift, textSize) };
}

void TPngSpeedButton::paintEvent(QPaintEvent*)
{
    // Qt draws the button (panel, hot-tracking frame, pressed look) without text or icon; glyph and caption
    // go where the layout puts them.
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const TLayoutResult layout = CalcLayout();
    if (!text().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(layout.Text, Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop, text());
    }
    if (m_pngImage.isNull())
        return;
    QImage glyph = m_pngImage;
    if (!isEnabled()) {
        if (m_pngOptions & PngOptionBit(pngGrayscaleOnDisabled))
            glyph = GrayscaleCopy(glyph);
        if (m_pngOptions & PngOptionBit(pngBlendOnDisabled))
            glyph = TranslucentCopy(glyph, 128);
    }
    painter.drawImage(layout.Glyph, glyph);
}
