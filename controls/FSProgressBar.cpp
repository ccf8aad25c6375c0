#include "controls/FSProgressBar.h"

#include "toolkit/Canvas.h"
#include "toolkit/PixelRatio.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace
{

struct TScheme {
    TColor Border, BackFace, BackGrad, ForeFace, ForeGrad;
};

// Indexed by TColorScheme; csCustom's row is never used.
const TScheme Schemes[] = {
    {},
    { RGB(128, 86, 0), RGB(255, 236, 198), RGB(255, 255, 255), RGB(255, 222, 155), RGB(183, 123, 0) },
    { RGB(55, 111, 21), RGB(220, 245, 203), RGB(255, 255, 255), RGB(219, 245, 201), RGB(98, 193, 40) },
    { RGB(107, 107, 107), RGB(224, 224, 224), RGB(255, 255, 255), RGB(240, 240, 240), RGB(173, 173, 173) },
    { RGB(0, 89, 179), RGB(213, 234, 255), RGB(255, 255, 255), RGB(221, 238, 255), RGB(94, 174, 255) },
    { RGB(157, 0, 0), RGB(255, 215, 215), RGB(255, 255, 255), RGB(255, 232, 232), RGB(255, 128, 128) },
    { RGB(100, 100, 0), RGB(255, 255, 206), RGB(255, 255, 255), RGB(255, 255, 223), RGB(220, 188, 5) },
    { RGB(0, 0, 0), RGB(0, 85, 0), RGB(0, 128, 0), RGB(174, 236, 145), RGB(0, 170, 0) },
    { RGB(0, 0, 0), RGB(0, 64, 128), RGB(0, 84, 168), RGB(151, 203, 255), RGB(0, 118, 236) },
    { RGB(0, 0, 0), RGB(89, 0, 0), RGB(140, 70, 70), RGB(242, 159, 159), RGB(187, 72, 72) },
    { RGB(0, 0, 0), RGB(70, 70, 70), RGB(111, 111, 111), RGB(206, 206, 206), RGB(115, 115, 115) },
    { RGB(0, 0, 0), RGB(64, 0, 128), RGB(101, 0, 202), RGB(219, 183, 255), RGB(153, 51, 255) },
    { RGB(0, 0, 0), RGB(86, 86, 44), RGB(123, 123, 62), RGB(222, 222, 188), RGB(142, 142, 70) },
};

enum TGradientMode { gmColumns = 0, gmRows = 1 };

int Channel(TColor color, int shift)
{
    return int((color >> shift) & 0xFF);
}

// n + 1 lines shading from start to end. The lines count from the canvas origin and reach left + right (or
// top + bottom), not the rectangle's own edges: the bar's geometry was laid out around exactly this.
void Gradient(TCanvas& canvas, const TRect& r, TColor start, TColor end, TGradientMode mode)
{
    const int n = mode == gmColumns ? r.Right - r.Left : r.Bottom - r.Top;
    double value[3];
    double delta[3];
    for (int c = 0; c < 3; ++c) {
        value[c] = Channel(start, 8 * c);
        // A zero-step ramp draws its single line in the start colour.
        delta[c] = n > 0 ? (Channel(end, 8 * c) - value[c]) / n : 0.0;
    }
    for (int i = 0; i <= n; ++i) {
        canvas.PenColor = RGB(std::clamp(RoundHalfEven(value[0]), 0, 255), std::clamp(RoundHalfEven(value[1]), 0, 255),
            std::clamp(RoundHalfEven(value[2]), 0, 255));
        if (mode == gmColumns) {
            canvas.MoveTo(i, r.Top);
            canvas.LineTo(i, r.Top + r.Bottom);
        } else {
            canvas.MoveTo(r.Left, i);
            canvas.LineTo(r.Left + r.Right, i);
        }
        for (int c = 0; c < 3; ++c)
            value[c] += delta[c];
    }
}

// (size − 2) × (position − min) / range with the product wrapping in 32 bits as the bar always computed it;
// a zero range counts as no progress instead of dividing by zero.
double Share(int size, int position, int min, int range)
{
    if (range == 0)
        return 0.0;
    const auto product = int32_t(uint32_t(size - 2) * uint32_t(int32_t(uint32_t(position) - uint32_t(min))));
    return double(product) / range;
}

// The colour drawn at a pixel of the window, read at its first device pixel.
TColor PixelAt(const QImage& image, int x, int y)
{
    const qreal ratio = image.devicePixelRatio();
    const int dx = int(std::ceil(x * ratio));
    const int dy = int(std::ceil(y * ratio));
    if (x < 0 || y < 0 || !image.valid(dx, dy))
        return clBlack;
    return ColorFromQColor(image.pixelColor(dx, dy));
}

} // namespace

TFSProgressBar::TFSProgressBar(QWidget* parent)
    : QWidget(parent)
{
    resize(200, 16);
    SetColorScheme(csDesert);
}

void TFSProgressBar::SetColor(TColor& field, TColor color)
{
    field = color;
    m_colorScheme = csCustom;
    update();
}

void TFSProgressBar::SetColorBorder(TColor color)
{
    SetColor(m_colorBorder, color);
}

void TFSProgressBar::SetBackColorFace(TColor color)
{
    SetColor(m_backColorFace, color);
}

void TFSProgressBar::SetBackColorGrad(TColor color)
{
    SetColor(m_backColorGrad, color);
}

void TFSProgressBar::SetForeColorFace(TColor color)
{
    SetColor(m_foreColorFace, color);
}

void TFSProgressBar::SetForeColorGrad(TColor color)
{
    SetColor(m_foreColorGrad, color);
}

void TFSProgressBar::SetColorScheme(TColorScheme scheme)
{
    m_colorScheme = scheme;
    if (scheme != csCustom && scheme >= 0 && scheme < int(std::size(Schemes))) {
        const TScheme& s = Schemes[scheme];
        m_colorBorder = s.Border;
        m_backColorFace = s.BackFace;
        m_backColorGrad = s.BackGrad;
        m_foreColorFace = s.ForeFace;
        m_foreColorGrad = s.ForeGrad;
    }
    update();
}

void TFSProgressBar::SetPosition(int value)
{
    if (value < m_min)
        return;
    m_position = value;
    repaint();
}

void TFSProgressBar::SetMin(int value)
{
    if (value > m_max)
        return;
    m_min = value;
    repaint();
}

void TFSProgressBar::SetMax(int value)
{
    if (value < m_min)
        return;
    m_max = value;
    repaint();
}

void TFSProgressBar::SetStep(int value)
{
    m_step = value;
    repaint();
}

void TFSProgressBar::SetOrientation(TProgressBarOrientation orientation)
{
    m_orientation = orientation;
    update();
}

void TFSProgressBar::RenderHorizontal(TCanvas& canvas, const QImage& image) const
{
    const int w = width();
    const int h = height();
    // Clamping to the bitmap changes no pixel: the lines beyond it are clipped anyway.
    const int f = std::clamp(RoundHalfEven(Share(w, m_position, m_min, m_max - m_min)), 0, w);
    Gradient(canvas, { 1, 1, w - 1, h - 1 }, m_backColorFace, m_backColorGrad, gmRows);
    Gradient(canvas, { 0, 0, f, h }, m_foreColorFace, m_foreColorGrad, gmRows);
    canvas.PenColor = PixelAt(image, 1, 1);
    canvas.MoveTo(1, 1);
    canvas.LineTo(1, h);
    canvas.PenColor = PixelAt(image, 2, h - 2);
    canvas.MoveTo(f, 1);
    canvas.LineTo(f, h);
}

void TFSProgressBar::RenderVertical(TCanvas& canvas, const QImage& image) const
{
    const int w = width();
    const int h = height();
    const double share = Share(h, m_position, m_min, std::abs(m_max - m_min));
    const int t = std::clamp(h - RoundHalfEven(share + 1), -h, h);
    Gradient(canvas, { 1, 1, w - 1, h }, m_backColorFace, m_backColorGrad, gmColumns);
    Gradient(canvas, { 0, t, w, h }, m_foreColorFace, m_foreColorGrad, gmColumns);
    canvas.PenColor = PixelAt(image, 2, h - 2);
    canvas.MoveTo(1, h - 2);
    canvas.LineTo(w, h - 2);
    canvas.PenColor = PixelAt(image, w - 3, h - 3);
    canvas.MoveTo(1, t);
    canvas.LineTo(w, t);
}

QImage TFSProgressBar::Render() const
{
    QImage image = DeviceImage(QSize(std::max(width(), 1), std::max(height(), 1)), devicePixelRatio());
    image.fill(Qt::white);
    if (width() <= 0 || height() <= 0)
        return image;
    QPainter painter(&image);
    TCanvas canvas(painter);
    if (m_orientation == pbHorizontal)
        RenderHorizontal(canvas, image);
    else
        RenderVertical(canvas, image);
    canvas.PenColor = m_colorBorder;
    canvas.BrushClear = true;
    canvas.Rectangle({ 0, 0, width(), height() });
    return image;
}

void TFSProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}
