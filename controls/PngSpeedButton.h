#pragma once

#include <QImage>
#include <QToolButton>
#include <functional>

class TPngImageList;

enum TPngOption { pngBlendOnDisabled, pngGrayscaleOnDisabled };

// A set of TPngOption: bit n for the option with ordinal n.
using TPngOptions = unsigned;

constexpr TPngOptions PngOptionBit(TPngOption option)
{
    return 1u << option;
}

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A tool button (flat when asked) showing a PNG glyph with alpha and an optional caption, laid out by
// Layout, Margin and Spacing. The glyph moves 1 pixel right and down while the button is pressed or Down;
// disabled it is drawn half translucent and/or grey as PngOptions say.
class TPngSpeedButton : public QToolButton {
public:
    explicit TPngSpeedButton(QWidget* parent = nullptr);

    // Copied; a null image empties the glyph. Assigning one ends the link to an action's image.
    const QImage& PngImage() const { return m_pngImage; }
    void SetPngImage(const QImage& image);

    // Default: blend only.
    TPngOptions PngOptions() const { return m_pngOptions; }
    void SetPngOptions(TPngOptions options);

    // An action's image: taken when the button has no image of its own or its image came from an action,
    // and the index lies inside the list; otherwise nothing changes.
    void ActionChange(const TPngImageList* images, int imageIndex);
    // The glyph came from an action (and forms would not store it).
    bool ImageFromAction() const { return m_imageFromAction; }

    // '&' marks the accelerator letter.
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    // Held down (a checked tool button); shows pressed.
    bool Down() const { return isChecked(); }
    void SetDown(bool value);
    // Frame only while the mouse is over the button.
    bool Flat() const { return autoRaise(); }
    void SetFlat(bool value) { setAutoRaise(value); }

    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout layout);
    // −1 centres glyph and caption together.
    int Margin() const { return m_margin; }
    void SetMargin(int margin);
    // Pixels between glyph and caption; −1 spaces them as evenly as the margins.
    int Spacing() const { return m_spacing; }
    void SetSpacing(int spacing);

    // Raised on a click (Qt's clicked()); sender first.
    std::function<void(TPngSpeedButton* sender)> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the glyph's top-left corner and the caption go for the current size, caption and press state.
    struct TLayoutResult {
        QPoint Glyph;
        QRect Text;
    };
    TLayoutResult CalcLayout() const;

    QImage m_pngImage;
    TPngOptions m_pngOptions = PngOptionBit(pngBlendOnDisabled);
    bool m_imageFromAction = false;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
};
