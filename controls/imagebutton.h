#pragma once

#include "toolkit/Graphics.h"

#include <QImage>
#include <QWidget>
#include <functional>

// A button drawn from four PNG faces (normal, over, down, disabled) at their own size from the top-left
// corner; transparent parts show the parent. The face drawn is also the click area. Its Enabled flag is its
// own: a disabled button keeps getting mouse input but never clicks. Tab reaches it while it is enabled and a
// dotted ring shows that it has the focus (ShowsFocusMark); Space or Enter then clicks it. The mouse gives it
// no focus.
class TImageButton : public QWidget {
public:
    explicit TImageButton(QWidget* parent = nullptr);

    const QImage& Image() const { return m_normal; }
    const QImage& ImageOver() const { return m_over; }
    const QImage& ImageDown() const { return m_down; }
    const QImage& ImageDisable() const { return m_disabled; }
    // Each setter keeps its own copy; a null image leaves that face empty.
    void SetImage(const QImage& image);
    void SetImageOver(const QImage& image);
    void SetImageDown(const QImage& image);
    void SetImageDisable(const QImage& image);

    // Draw the pressed face 2 pixels right and down (default true).
    bool UseDown() const { return m_useDown; }
    void SetUseDown(bool value);

    // The button's own enabled flag; Qt's enabled state stays true so the mouse still reaches it.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);

    // The rectangle of the face shown now, which is the area a release must hit to click.
    TRect ImageRect() const;

    // Mouse input arriving on another widget on the button's behalf (the caption labels): each acts like
    // the real event with the left button at the button's point (0, 0).
    void ForwardMouseEnter();
    void ForwardMouseLeave();
    void ForwardMouseDown();
    void ForwardMouseUp();

    // Clicks as a left release inside the face does: raises OnClick only while enabled (the keyboard's way).
    void Click();

    // Raised by a left release inside the face while enabled, and by Click; sender first.
    std::function<void(TImageButton* sender)> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void MouseEnter();
    void MouseLeave();
    void MouseDown();
    void MouseMove(const QPoint& point);
    void MouseUp(Qt::MouseButton button, const QPoint& point);
    bool Inside(const QPoint& point) const;
    // The face for the current state and the rectangle it is drawn into.
    const QImage& Face(TRect* rect) const;

    QImage m_over;
    QImage m_down;
    QImage m_normal;
    QImage m_disabled;
    bool m_mouseOver = false;
    bool m_pressed = false;
    bool m_useDown = true;
    bool m_enabled = true;
    bool m_keyboardFocus = false;
};
