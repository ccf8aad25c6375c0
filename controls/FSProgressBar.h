#pragma once

#include "toolkit/Graphics.h"

#include <QWidget>

class TCanvas;

enum TProgressBarOrientation { pbHorizontal, pbVertical };

enum TColorScheme {
    csCustom,
    csDesert,
    csGrass,
    csSilver,
    csSky,
    csRose,
    csSun,
    csHackers,
    csNight,
    csVelvet,
    csMetal,
    csViolet,
    csToxic
};

// A progress bar with a two-colour gradient track and fill inside a one-pixel border, painted on its parent
// (no background of its own). Range and position changes repaint at once; colours and orientation on the
// next paint.
class TFSProgressBar : public QWidget {
public:
    explicit TFSProgressBar(QWidget* parent = nullptr);

    TColor ColorBorder() const { return m_colorBorder; }
    TColor BackColorFace() const { return m_backColorFace; }
    TColor BackColorGrad() const { return m_backColorGrad; }
    TColor ForeColorFace() const { return m_foreColorFace; }
    TColor ForeColorGrad() const { return m_foreColorGrad; }
    // Each colour setter turns the scheme into csCustom.
    void SetColorBorder(TColor color);
    void SetBackColorFace(TColor color);
    void SetBackColorGrad(TColor color);
    void SetForeColorFace(TColor color);
    void SetForeColorGrad(TColor color);

    TColorScheme ColorScheme() const { return m_colorScheme; }
    // Any scheme but csCustom overwrites all five colours with its own.
    void SetColorScheme(TColorScheme scheme);

    int Position() const { return m_position; }
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Step() const { return m_step; }
    // Ignored below Min; no upper bound (the fill then runs past the track, clipped).
    void SetPosition(int value);
    // Ignored above Max.
    void SetMin(int value);
    // Ignored below Min.
    void SetMax(int value);
    // Kept for callers; nothing steps by it.
    void SetStep(int value);

    TProgressBarOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TProgressBarOrientation orientation);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The bar as it paints: W × H pixels with the track, fill and border.
    QImage Render() const;
    void SetColor(TColor& field, TColor color);
    void RenderHorizontal(TCanvas& canvas, const QImage& image) const;
    void RenderVertical(TCanvas& canvas, const QImage& image) const;

    TColor m_colorBorder = 0;
    TColor m_backColorFace = 0;
    TColor m_backColorGrad = 0;
    TColor m_foreColorFace = 0;
    TColor m_foreColorGrad = 0;
    TProgressBarOrientation m_orientation = pbHorizontal;
    TColorScheme m_colorScheme = csCustom;
    int m_position = 0;
    int m_min = 0;
    int m_max = 100;
    int m_step = 10;
};
