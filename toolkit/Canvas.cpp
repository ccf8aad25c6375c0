#include "toolkit/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

TCanvas::TCanvas(QPainter& painter)
    : Font(painter.font())
    , m_painter(painter)
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
    const QPoint to(
        from.x() + qRound(dx * double(steps - 1) / steps), from.y() + qRound(dy * double(steps - 1) / steps));
    // A straight line is filled as the pixels it covers: a scaled painter (a screen of pixel ratio 2) would centre a
    // pen on the line and shift it by half a pixel.
    if (dx == 0 || dy == 0) {
        m_painter.fillRect(QRect(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                               QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y()))),
            ColorToRGB(PenColor));
        return;
    }
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

namespace
{

// The first and last column of each row of a rounded rectangle. The corner ellipse runs through pixel
// centres, so the corners come out symmetric (QPainter's rounded rectangles do not at these small sizes).
std::vector<std::pair<int, int>> RoundRectSpans(const TRect& r, int w, int h)
{
    const double rx = (std::min(w, r.Width()) - 1) / 2.0;
    const double ry = (std::min(h, r.Height()) - 1) / 2.0;
    std::vector<int> insets;
    for (int k = 0; rx > 0 && ry > 0 && k < ry; ++k) {
        const double dy = (ry - k) / ry;
        insets.push_back(int(std::ceil(rx - rx * std::sqrt(std::max(0.0, 1 - dy * dy)) - 1e-9)));
    }
    std::vector<std::pair<int, int>> spans;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const int k = std::min(y - r.Top, r.Bottom - 1 - y);
        const int inset = k < int(insets.size()) ? insets[k] : 0;
        spans.emplace_back(r.Left + inset, r.Right - 1 - inset);
    }
    return spans;
}

} // namespace

QRegion TCanvas::RoundRectRegion(const TRect& r, int w, int h)
{
    QRegion region;
    if (r.Width() <= 0 || r.Height() <= 0)
        return region;
    const auto spans = RoundRectSpans(r, w, h);
    for (int i = 0; i < int(spans.size()); ++i)
        region += QRect(spans[i].first, r.Top + i, spans[i].second - spans[i].first + 1, 1);
    return region;
}

void TCanvas::RoundRect(const TRect& r, int w, int h)
{
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    const auto spans = RoundRectSpans(r, w, h);
    const int rows = int(spans.size());
    if (!BrushClear)
        for (int i = 0; i < rows; ++i)
            m_painter.fillRect(
                QRect(spans[i].first, r.Top + i, spans[i].second - spans[i].first + 1, 1), ColorToRGB(BrushColor));
    // The outline: every covered pixel with a row neighbour or a column neighbour outside the shape.
    const QColor pen = ColorToRGB(PenColor);
    const auto run = [&](int y, int from, int to) {
        if (from <= to)
            m_painter.fillRect(QRect(from, y, to - from + 1, 1), pen);
    };
    for (int i = 0; i < rows; ++i) {
        const auto [left, right] = spans[i];
        const int y = r.Top + i;
        run(y, left, left);
        run(y, right, right);
        for (int n : { i - 1, i + 1 }) {
            if (n < 0 || n >= rows) {
                run(y, left, right);
                continue;
            }
            run(y, left, std::min(right, spans[n].first - 1));
            run(y, std::max(left, spans[n].second + 1), right);
        }
    }
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
