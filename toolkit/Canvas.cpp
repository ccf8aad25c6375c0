#include "toolkit/Canvas.h"

#include <QPainterPath>
#include <algorithm>
#include <cstdlib>

TCanvas::TCanvas(QPainter& painter) : Font(painter.font()), m_painter(painter)
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void TCanvas::MoveTo(int x, int y)
{
    m_penPos = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y)
{
    const QPoint from = m_penPos;
    m_penPos = QPoint(x, y);
    const int dx = x - from.x();
    const int dy = y - from.y();
    if (dx == 0 && dy == 0)
        return;
    // QPainter includes the end point: stop one step short along the major axis, keeping the slope.
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const QPoint to(from.x() + qRound(dx * double(steps - 1) / steps), from.y() + qRound(dy * double(steps - 1) / steps));
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setPen(QPen(ColorToRGB(PenColor), 1));
    m_painter.drawLine(from, to);
}

void TCanvas::Pixel(int x, int y, TColor color)
{
    m_painter.fillRect(QRect(x, y, 1, 1), ColorToRGB(color));
}

void TCanvas::FillRect(const TRect& r)
{
    FillRect(r, BrushColor);
}

void TCanvas::FillRect(const TRect& r, TColor color)
{
    if (r.Width() > 0 && r.Height() > 0)
        m_painter.fillRect(r.ToQRect(), ColorToRGB(color));
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    const QColor c = ColorToRGB(BrushColor);
    m_painter.fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
    m_painter.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
    m_painter.fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
    m_painter.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TCanvas::Rectangle(const TRect& r)
{
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    if (!BrushClear)
        FillRect(r);
    const TColor brush = BrushColor;
    BrushColor = PenColor;
    FrameRect(r);
    BrushColor = brush;
}

void TCanvas::RoundRect(const TRect& r, int w, int h)
{
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    QPainterPath path;
    path.addRoundedRect(QRectF(r.Left, r.Top, r.Width() - 1, r.Height() - 1), w / 2.0, h / 2.0);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setPen(QPen(ColorToRGB(PenColor), 1));
    m_painter.setBrush(BrushClear ? QBrush(Qt::NoBrush) : QBrush(ColorToRGB(BrushColor)));
    m_painter.drawPath(path);
    m_painter.setBrush(Qt::NoBrush);
}

void TCanvas::TextRect(const TRect& r, const QString& text, int flags)
{
    m_painter.setFont(Font);
    m_painter.setPen(ColorToRGB(FontColor));
    m_painter.drawText(r.ToQRect(), flags, text);
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    m_painter.setFont(Font);
    m_painter.setPen(ColorToRGB(FontColor));
    const QFontMetrics metrics(Font);
    m_painter.drawText(QPoint(x, y + metrics.ascent()), text);
}
