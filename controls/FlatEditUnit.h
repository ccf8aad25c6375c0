#pragma once

#include "toolkit/Graphics.h"

#include <QComboBox>
#include <QLineEdit>
#include <functional>

enum TEditValueType { evDefault, evtInteger, evtFloat };

// A single-line edit with a three-pixel flat frame: a one-pixel outer line in ColorBorder and a two-pixel band
// that, like the background, is ColorFocused while highlighted (focused, or hovered while no other TMyFlatEdit
// has the focus) and ColorFlat at rest. In integer mode only digits and backspace are typed, Up/Down and the
// wheel step the value within MinValue..MaxValue and Delete does nothing. The float mode accepts no typing and
// no stepping at all: no window uses it, and a half-working number parser would be worse than none.
class TMyCustomFlatEdit : public QLineEdit {
public:
    explicit TMyCustomFlatEdit(QWidget* parent = nullptr);

    TEditValueType ValueType() const { return m_valueType; }
    void SetValueType(TEditValueType value) { m_valueType = value; }
    // 0 means no upper bound.
    int MaxValue() const { return m_maxValue; }
    void SetMaxValue(int value) { m_maxValue = value; }
    int MinValue() const { return m_minValue; }
    void SetMinValue(int value) { m_minValue = value; }
    // 0 in free-text mode and for an empty text; otherwise the text as a number (EConvertError if it is none).
    int asInteger() const;

    TColor ColorFocused() const { return m_colorFocused; }
    void SetColorFocused(TColor value);
    TColor ColorBorder() const { return m_colorBorder; }
    void SetColorBorder(TColor value);
    TColor ColorFlat() const { return m_colorFlat; }
    // Also turns ParentColor off.
    void SetColorFlat(TColor value);
    // When on, ColorFlat follows the parent's background colour.
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool value);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor value);

    // Whether the frame and background show ColorFocused now.
    bool Highlighted() const;
    // Height := the font's cell height + 6; called on every font change and at construction.
    void AdjustHeight();

protected:
    // The character-validity test of integer mode: digits and backspace in evtInteger, nothing otherwise.
    virtual bool IsValidChar(QChar key) const;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void RedrawFrame();
    void FollowParentColor();
    void Increment();
    void Decrement();
    int CurrentValue() const;
    bool HandleTypedChar(QKeyEvent* event);

    bool m_parentColor = true;
    TColor m_colorFocused = clWhite;
    TColor m_colorBorder = RGB(160, 150, 131);
    TColor m_colorFlat = RGB(235, 234, 225);
    TColor m_fontColor = clWindowText;
    bool m_mouseInside = false;
    int m_maxValue = 0;
    int m_minValue = 0;
    TEditValueType m_valueType = evDefault;
};

// The flat edit as the windows place it; only its class matters (hover highlighting checks for it).
class TMyFlatEdit : public TMyCustomFlatEdit {
public:
    using TMyCustomFlatEdit::TMyCustomFlatEdit;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// A combo box with a flat two-colour frame over its text part and its own 11-pixel drop button (a filled
// rectangle with a small triangle pointing down, up while the list is open, embossed grey when disabled).
// The native drop button is never painted. The windows use it as a drop-down list.
class TMyFlatComboBox : public QComboBox {
public:
    explicit TMyFlatComboBox(QWidget* parent = nullptr);

    TComboBoxStyle Style() const { return m_style; }
    // csDropDown and csSimple get a typing field; the other styles only choose from the list. csSimple has no
    // drop button (there is no always-open list here).
    void SetStyle(TComboBoxStyle value);
    // Background of the text part and of the open list; the window colour after construction.
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TColor ColorArrow() const { return m_colorArrow; }
    void SetColorArrow(TColor value);
    TColor ColorArrowBackground() const { return m_colorArrowBackground; }
    void SetColorArrowBackground(TColor value);
    TColor ColorBorder() const { return m_colorBorder; }
    void SetColorBorder(TColor value);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor value);
    // Height of each row of the open list; a font change puts it back to 13.
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int value);
    // How many rows the open list shows at most; a scroll bar reaches the others (default 8).
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int value) { setMaxVisibleItems(value); }
    // -1 when nothing is chosen.
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int value) { setCurrentIndex(value); }
    QString Text() const { return currentText(); }
    bool DroppedDown() const;
    // The width of the native drop button, read at construction.
    int SysBtnWidth() const { return m_sysBtnWidth; }

    // Raised when the user picks an item with the mouse or the keys, not when the program sets ItemIndex.
    std::function<void(QObject* sender)> OnChange;

    static constexpr int ButtonWidth = 11;

    // Drops the list just below the combo, or just above it where the screen has no room below.
    void showPopup() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool FocusState() const;
    void ApplyColors();
    void PlaceEdit();

    int m_sysBtnWidth = 0;
    TColor m_color = clWindow;
    TColor m_colorArrow = clBlack;
    TColor m_colorArrowBackground = RGB(217, 214, 197);
    TColor m_colorBorder = RGB(160, 150, 131);
    TColor m_fontColor = clWindowText;
    int m_itemHeight = 13;
    TComboBoxStyle m_style = csDropDown;
};
