#pragma once

#include "toolkit/Graphics.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

// A push button with rounded corners, a vertical two-colour gradient, a one-pixel border, an optional PNG
// glyph left of a single-line centred caption. Its '&' letter clicks it with Alt; focused, Space or Enter
// clicks it. Pressed, the glyph and the caption move 2 pixels right and down. Qt's enabled state is the
// button's: a disabled button takes no input.
class TMyButtonEx : public QWidget {
public:
    explicit TMyButtonEx(QWidget* parent = nullptr);

    // '&' marks the accelerator letter ("&&" is a plain '&').
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);

    TColor DefaultColorFrom() const { return m_defaultColorFrom; }
    TColor DefaultColorTo() const { return m_defaultColorTo; }
    TColor ClickColorFrom() const { return m_clickColorFrom; }
    TColor ClickColorTo() const { return m_clickColorTo; }
    // Kept for forms that set them; nothing draws them.
    TColor OverColorFrom() const { return m_overColorFrom; }
    TColor OverColorTo() const { return m_overColorTo; }
    TColor BorderColor() const { return m_borderColor; }
    void SetDefaultColorFrom(TColor color);
    void SetDefaultColorTo(TColor color);
    void SetClickColorFrom(TColor color);
    void SetClickColorTo(TColor color);
    void SetOverColorFrom(TColor color);
    void SetOverColorTo(TColor color);
    void SetBorderColor(TColor color);

    // The caption colour while enabled (disabled captions are silver); the face is QWidget::font().
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

    // Copied; a null image removes the glyph.
    const QImage& Glyph() const { return m_glyph; }
    void SetGlyph(const QImage& glyph);

    // Draw a dotted focus rectangle while the button has the focus. Without it the rectangle shows only while
    // the focus came from the keyboard (Tab), as desktop users expect, and never after a mouse click.
    bool DrawFocus() const { return m_drawFocus; }
    void SetDrawFocus(bool value);

    // Kept for forms that set it; it changes nothing.
    bool Default() const { return m_default; }
    void SetDefault(bool value) { m_default = value; }

    // Clicks as the accelerator does: raises OnClick when visible and enabled.
    void Click();

    // Raised by a release after a press that did not leave the button, and by the accelerator; sender first.
    std::function<void(TMyButtonEx* sender)> OnClick;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetColor(TColor& field, TColor color);
    void FireClick();
    // Pops the button up when the point has left it; true if it did.
    bool LeaveIfOutside(const QPoint& point);
    QImage Render() const;

    bool m_pressed = false;
    bool m_drawFocus = false;
    bool m_keyboardFocus = false;
    TColor m_clickColorFrom = RGB(228, 228, 228);
    TColor m_defaultColorTo = RGB(228, 228, 228);
    TColor m_overColorFrom = 0;
    TColor m_overColorTo = 0;
    TColor m_defaultColorFrom = RGB(238, 238, 238);
    TColor m_clickColorTo = RGB(238, 238, 238);
    TColor m_borderColor = RGB(197, 197, 197);
    TColor m_fontColor = clWindowText;
    QImage m_glyph;
    bool m_default = false;
    QString m_caption;
    int m_shortcutId = 0;
};
