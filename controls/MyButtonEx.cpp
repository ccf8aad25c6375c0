#include "controls/MyButtonEx.h"

#include "toolkit/Canvas.h"
#include "toolkit/KeyboardFocus.h"
#include "toolkit/PixelRatio.h"
#include "toolkit/PngEffects.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <cmath>

namespace
{

// Rows from top + 2 down, columns up to right − 3, written straight into the pixels; the two top rows and
// the two right columns keep the bitmap's white, which leaves a white line inside the border there. On a screen
// with a pixel ratio above 1 every device row gets its own shade, so the gradient stays as smooth as the text.
void Gradient(QImage& image, const TRect& r, TColor from, TColor to)
{
    if (image.isNull())
        return;
    const QColor start = ColorToRGB(from);
    const QColor end = ColorToRGB(to);
    if (start == end) {
        QPainter painter(&image);
        painter.fillRect(r.ToQRect(), start);
        return;
    }
    const double ratio = image.devicePixelRatio();
    const double height = r.Bottom - r.Top;
    const double stepR = (end.red() - start.red()) / height;
    const double stepG = (end.green() - start.green()) / height;
    const double stepB = (end.blue() - start.blue()) / height;
    const int first = int(std::ceil((r.Top + 2) * ratio));
    const int last = std::min(int(std::ceil(r.Bottom * ratio)), image.height());
    const int count = std::min(int(std::ceil((r.Right - r.Left - 2) * ratio)), image.width());
    for (int y = first; y < last; ++y) {
        const double k = y / ratio - r.Top;
        const QRgb colour = qRgb(RoundHalfEven(start.red() + stepR * k), RoundHalfEven(start.green() + stepG * k),
            RoundHalfEven(start.blue() + stepB * k));
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < count; ++x)
            line[x] = colour;
    }
}

// Every other pixel of the ring, inverted: the classic dotted focus rectangle.
void DrawFocusRect(QPainter& painter, const TRect& r)
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            painter.fillRect(QRect(x, y, 1, 1), Qt::white);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        dot(r.Right - 1, y);
    }
    painter.restore();
}

} // namespace

TMyButtonEx::TMyButtonEx(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(75, 25);
}

void TMyButtonEx::SetCaption(const QString& caption)
{
    m_caption = caption;
    if (m_shortcutId != 0)
        releaseShortcut(m_shortcutId);
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    m_shortcutId = mnemonic.isEmpty() ? 0 : grabShortcut(mnemonic);
    update();
}

void TMyButtonEx::SetColor(TColor& field, TColor color)
{
    field = color;
    update();
}

void TMyButtonEx::SetDefaultColorFrom(TColor color)
{
    SetColor(m_defaultColorFrom, color);
}

void TMyButtonEx::SetDefaultColorTo(TColor color)
{
    SetColor(m_defaultColorTo, color);
}

void TMyButtonEx::SetClickColorFrom(TColor color)
{
    SetColor(m_clickColorFrom, color);
}

void TMyButtonEx::SetClickColorTo(TColor color)
{
    SetColor(m_clickColorTo, color);
}

void TMyButtonEx::SetOverColorFrom(TColor color)
{
    SetColor(m_overColorFrom, color);
}

void TMyButtonEx::SetOverColorTo(TColor color)
{
    SetColor(m_overColorTo, color);
}

void TMyButtonEx::SetBorderColor(TColor color)
{
    SetColor(m_borderColor, color);
}

void TMyButtonEx::SetFontColor(TColor color)
{
    SetColor(m_fontColor, color);
}

void TMyButtonEx::SetGlyph(const QImage& glyph)
{
    m_glyph = glyph.isNull() ? QImage() : glyph.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    update();
}

void TMyButtonEx::SetDrawFocus(bool value)
{
    m_drawFocus = value;
    update();
}

void TMyButtonEx::FireClick()
{
    if (isVisible() && isEnabled() && OnClick)
        OnClick(this);
}

void TMyButtonEx::Click()
{
    // The pressed look lasts for the click only: a keyboard click has no release that would pop it up.
    m_pressed = true;
    repaint();
    FireClick();
    m_pressed = false;
    repaint();
}

bool TMyButtonEx::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == m_shortcutId && isEnabled() && isVisible()) {
            Click();
            return true;
        }
    }
    return QWidget::event(event);
}

void TMyButtonEx::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        m_pressed = false;
        repaint();
    } else if (event->type() == QEvent::FontChange) {
        update();
    }
}

void TMyButtonEx::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_keyboardFocus = ShowsFocusMark(event, m_keyboardFocus);
    repaint();
}

void TMyButtonEx::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    repaint();
}

void TMyButtonEx::keyPressEvent(QKeyEvent* event)
{
    if (!ClickOnKey(event, [this] { Click(); }))
        QWidget::keyPressEvent(event);
}

void TMyButtonEx::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    m_pressed = true;
    m_keyboardFocus = false;
    setFocus(Qt::MouseFocusReason);
    repaint();
}

bool TMyButtonEx::LeaveIfOutside(const QPoint& point)
{
    if (rect().contains(point))
        return false;
    m_pressed = false;
    repaint();
    return true;
}

void TMyButtonEx::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed)
        LeaveIfOutside(event->position().toPoint());
}

void TMyButtonEx::mouseReleaseEvent(QMouseEvent* event)
{
    // Any button ends a press. A release that arrives outside without a move before it pops the button up
    // as the move would have, so it does not click.
    if (!m_pressed || LeaveIfOutside(event->position().toPoint()))
        return;
    m_pressed = false;
    repaint();
    FireClick();
}

void TMyButtonEx::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Stands in for the window region: the shape of the rounded border, corners cut away. It depends on the
    // size alone, so it is made here rather than at every paint.
    setMask(TCanvas::RoundRectRegion({ 0, 0, width(), height() }, 5, 5));
}

QImage TMyButtonEx::Render() const
{
    const int w = width();
    const int h = height();
    QImage image = DeviceImage(size(), devicePixelRatio());
    image.fill(Qt::white);
    const QFontMetrics metrics(font());
    const int t = metrics.horizontalAdvance(m_caption);
    const int g = LogicalSize(m_glyph).width();
    const int x0 = m_glyph.isNull() ? (w - t) / 2 : (w - g - t - 3) / 2;
    if (m_pressed)
        Gradient(image, { 0, 0, w, h }, m_clickColorFrom, m_clickColorTo);
    else
        Gradient(image, { 0, 0, w, h }, m_defaultColorFrom, m_defaultColorTo);

    QPainter painter(&image);
    const int d = m_pressed ? 2 : 0;
    if (!m_glyph.isNull()) {
        const QPoint at(x0 + d, (h - LogicalSize(m_glyph).height()) / 2 + d);
        painter.drawImage(at, isEnabled() ? m_glyph : TranslucentCopy(m_glyph, 51));
    }
    TCanvas canvas(painter);
    canvas.PenColor = m_borderColor;
    canvas.BrushClear = true;
    canvas.RoundRect({ 0, 0, w, h }, 5, 5);

    const int left = m_glyph.isNull() ? x0 : x0 + g + (m_pressed ? 5 : 3);
    canvas.Font = font();
    canvas.FontColor = isEnabled() ? m_fontColor : clSilver;
    canvas.TextRect({ left, d, left + t, h + d }, m_caption,
        Qt::TextSingleLine | Qt::AlignVCenter | Qt::AlignHCenter | Qt::TextShowMnemonic);
    return image;
}

void TMyButtonEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
    if (hasFocus() && isEnabled() && (m_drawFocus || m_keyboardFocus))
        DrawFocusRect(painter, { 4, 4, width() - 4, height() - 4 });
}
