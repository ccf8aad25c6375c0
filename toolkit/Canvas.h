#pragma once

#include "toolkit/Graphics.h"

#include <QFont>
#include <QPainter>
#include <QRegion>

// Draws with the pixel rules of a classic canvas on a QPainter: no antialiasing, lines without their end
// point, rectangles covering Left..Right-1 × Top..Bottom-1. Every control draws its shapes through this.
class TCanvas {
public:
    explicit TCanvas(QPainter& painter);

    TColor PenColor = clBlack;
    TColor BrushColor = clWhite;
    bool BrushClear = false; // no interior fill and no text background
    QFont Font;
    TColor FontColor = clBlack;

    QPainter& Painter() { return m_painter; }

    void MoveTo(int x, int y);
    // Draws from the pen position up to, not including, (x, y), which becomes the pen position.
    void LineTo(int x, int y);
    void Pixel(int x, int y, TColor color);
    // Fills the rectangle with the brush colour.
    void FillRect(const TRect& r);
    void FillRect(const TRect& r, TColor color);
    // A one-pixel ring on the outermost pixels of r, in the brush colour.
    void FrameRect(const TRect& r);
    // Outline in the pen colour on the outermost ring of r, interior in the brush (unless clear).
    void Rectangle(const TRect& r);
    // As Rectangle, with the corners cut by an ellipse of w × h; all four corners are mirror images
    // (5 × 5 cuts the corner pixel and its two neighbours along the edges).
    void RoundRect(const TRect& r, int w, int h);
    // The pixels RoundRect covers, outline included: the shape of a window with rounded corners.
    static QRegion RoundRectRegion(const TRect& r, int w, int h);
    // Draws text in r with Qt alignment flags; no background (brush clear, as every caller here wants).
    void TextRect(const TRect& r, const QString& text, int flags);
    void TextOut(int x, int y, const QString& text);

private:
    QPainter& m_painter;
    QPoint m_penPos;
};
