#pragma once

#include "toolkit/Graphics.h"

#include <QString>
#include <QWidget>

enum TLineBorder { lbTop, lbLeft, lbRight, lbBottom };

// A set of TLineBorder: bit n for the side with ordinal n.
using TLineBorders = unsigned;

constexpr TLineBorders LineBorderBit(TLineBorder side)
{
    return 1u << side;
}

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A flat container panel: its colour, one-pixel lines on the chosen sides and an optional single-line
// caption, engraved while disabled. Children are placed on it as on any QWidget.
class TLinePanel : public QWidget {
public:
    explicit TLinePanel(QWidget* parent = nullptr);

    TColor LineColor() const { return m_lineColor; }
    void SetLineColor(TColor color);

    // Empty draws no lines.
    TLineBorders LineBorders() const { return m_lineBorders; }
    void SetLineBorders(TLineBorders borders);

    // The fill; until it is set the panel takes its parent's window colour (ParentColor).
    TColor Color() const;
    void SetColor(TColor color);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool value);

    // '&' underlines the next letter.
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    // The enabled caption's colour; the face is QWidget::font().
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

    // Space kept free inside the edge for child layouts (the contents margins); painting ignores it.
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TColor m_lineColor = RGB(127, 157, 185);
    TLineBorders m_lineBorders = 0;
    TColor m_color = clBtnFace;
    bool m_parentColor = true;
    QString m_caption;
    TAlignment m_alignment = taCenter;
    TColor m_fontColor = clWindowText;
    int m_borderWidth = 0;
};
