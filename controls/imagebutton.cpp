#include "controls/imagebutton.h"

#include "toolkit/KeyboardFocus.h"
#include "toolkit/PixelRatio.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace
{

QImage Copy(const QImage& image)
{
    return image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TImageButton::TImageButton(QWidget* parent)
    : QWidget(parent)
{
    // No background of its own: the parent's picture shows through the faces' transparent pixels.
    setAutoFillBackground(false);
    setFocusPolicy(Qt::TabFocus);
    // Moves without a held button still reach the button, as the hit test expects every move.
    setMouseTracking(true);
}

void TImageButton::SetImage(const QImage& image)
{
    m_normal = Copy(image);
    update();
}

void TImageButton::SetImageOver(const QImage& image)
{
    m_over = Copy(image);
    update();
}

void TImageButton::SetImageDown(const QImage& image)
{
    m_down = Copy(image);
    update();
}

void TImageButton::SetImageDisable(const QImage& image)
{
    m_disabled = Copy(image);
    update();
}

void TImageButton::SetUseDown(bool value)
{
    m_useDown = value;
    update();
}

void TImageButton::SetEnabled(bool value)
{
    m_enabled = value;
    // A disabled button is passed over by Tab; one that had the focus hands it on.
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
    if (!value && hasFocus())
        focusNextChild();
    update();
}

const QImage& TImageButton::Face(TRect* rect) const
{
    const QImage* face = &m_normal;
    int offset = 0;
    if (!m_enabled) {
        face = &m_disabled;
    } else if (m_pressed) {
        // Without a down face the over face stands in at its own size (and the normal one without either),
        // so a pressed button never turns into a zero-sized target.
        face = !m_down.isNull() ? &m_down : !m_over.isNull() ? &m_over : &m_normal;
        offset = m_useDown ? 2 : 0;
    } else if (m_mouseOver && !m_over.isNull()) {
        face = &m_over;
    }
    const QSize size = LogicalSize(*face);
    *rect = { offset, offset, size.width() + offset, size.height() + offset };
    return *face;
}

TRect TImageButton::ImageRect() const
{
    TRect rect;
    Face(&rect);
    return rect;
}

bool TImageButton::Inside(const QPoint& point) const
{
    const TRect r = ImageRect();
    return point.x() >= r.Left && point.x() < r.Right && point.y() >= r.Top && point.y() < r.Bottom;
}

void TImageButton::paintEvent(QPaintEvent*)
{
    TRect rect;
    const QImage& face = Face(&rect);
    if (face.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(rect.Left, rect.Top, face);
    if (hasFocus() && m_keyboardFocus) {
        // White dots on the tile, dark where they cross the window's blue, so the ring shows on both.
        const QRectF ring(rect.Left + 3.5, rect.Top + 3.5, rect.Width() - 7, rect.Height() - 7);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(21, 66, 139), 3));
        painter.drawRoundedRect(ring, 10, 10);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRoundedRect(ring, 10, 10);
    }
}

void TImageButton::keyPressEvent(QKeyEvent* event)
{
    if (!ClickOnKey(event, [this] { Click(); }))
        QWidget::keyPressEvent(event);
}

void TImageButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_keyboardFocus = ShowsFocusMark(event, m_keyboardFocus);
    update();
}

void TImageButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TImageButton::MouseEnter()
{
    m_mouseOver = true;
    update();
}

void TImageButton::MouseLeave()
{
    m_mouseOver = false;
    update();
}

void TImageButton::MouseDown()
{
    m_pressed = true;
    update();
}

void TImageButton::MouseMove(const QPoint& point)
{
    if (!m_pressed || Inside(point))
        return;
    m_pressed = false;
    update();
}

void TImageButton::MouseUp(Qt::MouseButton button, const QPoint& point)
{
    // The click is judged on the face the press showed, before the release turns it back.
    const bool inside = Inside(point);
    m_pressed = false;
    update();
    if (inside && button == Qt::LeftButton)
        Click();
}

void TImageButton::Click()
{
    if (m_enabled && OnClick)
        OnClick(this);
}

void TImageButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    MouseEnter();
}

void TImageButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    MouseLeave();
}

void TImageButton::mousePressEvent(QMouseEvent*)
{
    MouseDown();
}

void TImageButton::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    // While a held button grabs the mouse Qt sends no leave or enter; the position says when the pointer
    // crosses the control's edge.
    if (event->buttons() != Qt::NoButton && rect().contains(point) != m_mouseOver) {
        if (m_mouseOver)
            MouseLeave();
        else
            MouseEnter();
    }
    MouseMove(point);
}

void TImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    MouseUp(event->button(), event->position().toPoint());
}

void TImageButton::ForwardMouseEnter()
{
    MouseEnter();
}

void TImageButton::ForwardMouseLeave()
{
    MouseLeave();
}

void TImageButton::ForwardMouseDown()
{
    MouseDown();
}

void TImageButton::ForwardMouseUp()
{
    MouseUp(Qt::LeftButton, QPoint(0, 0));
}
