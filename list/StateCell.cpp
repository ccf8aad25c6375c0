#include "list/StateCell.h"

#include "engine/row/EncoderReport.h"
#include "toolkit/Canvas.h"
#include "toolkit/VisibleText.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace
{

const TColor StateBoxColor = RGB(127, 157, 185);
constexpr int StateBoxInset = 5;
constexpr int BusyBlockWidth = 15;
constexpr int BarFontSize = 12;

QString BarText(const TItemData& item)
{
    QString text = QString::number(*item.Percent) + " %";
    if (item.SecondsLeft)
        text += ", " + QString::fromStdString(ClockText(*item.SecondsLeft)) + " left";
    return text;
}

// The percent and the time left, centred on the box: white over the bar, the box's colour beside it.
void PaintBar(TCanvas& canvas, const TRect& box, const TItemData& item)
{
    const int filled = (box.Width() - 2) * std::clamp(*item.Percent, 0, 100) / 100;
    const TRect bar { box.Left + 1, box.Top + 1, box.Left + 1 + filled, box.Bottom - 1 };
    canvas.FillRect(bar, StateBoxColor);
    QFont font = canvas.Font;
    font.setPixelSize(BarFontSize);
    canvas.Font = font;
    QPainter& painter = canvas.Painter();
    const QString text = BarText(item);
    const TRect textRect { box.Left, box.Top - StateBoxInset, box.Right, box.Bottom + StateBoxInset };
    const int flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setClipRect(bar.ToQRect(), Qt::IntersectClip);
    canvas.FontColor = clWhite;
    canvas.TextRect(textRect, text, flags);
    painter.restore();
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setClipRegion(QRegion(textRect.ToQRect()).subtracted(bar.ToQRect()), Qt::IntersectClip);
    canvas.FontColor = StateBoxColor;
    canvas.TextRect(textRect, text, flags);
    painter.restore();
}

// As many of the words as fit, each whole, with "…" after them when some are left out.
QString FirstWords(const QString& text, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    QString fitting;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        const QString longer = fitting.isEmpty() ? word : fitting + ' ' + word;
        if (metrics.horizontalAdvance(longer + ellipsis) > width)
            break;
        fitting = longer;
    }
    // A first word wider than the cell is cut where it must be.
    return fitting.isEmpty() ? metrics.elidedText(text, Qt::ElideRight, width) : fitting + ellipsis;
}

} // namespace

void PaintStateCell(TCanvas& canvas, const TRect& cell, const TItemNodeData& row)
{
    if (row.ImageIndex != Waiting && row.ImageIndex != Converting)
        return;
    const TItemData& item = row.ItemData;
    canvas.PenColor = StateBoxColor;
    const TRect box { cell.Left + StateBoxInset, cell.Top + StateBoxInset, cell.Right - StateBoxInset,
        cell.Bottom - StateBoxInset };
    canvas.Rectangle(box);
    if (item.Busy != 1)
        return;
    if (item.Percent) {
        PaintBar(canvas, box, item);
        return;
    }
    const TColor brush = canvas.BrushColor;
    canvas.BrushColor = canvas.PenColor;
    canvas.FillRect({ box.Left + item.BusyPos, box.Top, box.Left + item.BusyPos + BusyBlockWidth, box.Bottom });
    canvas.BrushColor = brush;
}

QString StateCellText(const TItemNodeData& row, const QFontMetrics& metrics, int width)
{
    const TItemData& item = row.ItemData;
    QString text;
    if (row.ImageIndex == Done) {
        QStringList parts;
        if (item.OutputSize)
            parts << SizeText(*item.OutputSize);
        if (item.OutputLength)
            parts << QString::fromStdString(ClockText(std::llround(*item.OutputLength)));
        text = parts.isEmpty() ? QString("Done") : parts.join(", ");
    } else if (row.ImageIndex == Failed) {
        text = item.Reason.isEmpty() ? QString("Failed") : VisibleText(item.Reason);
    }
    return FirstWords(text, metrics, width);
}

QString SizeText(int64_t bytes)
{
    if (bytes < 1000)
        return QString::number(bytes) + " B";
    static const char* const units[] = { "kB", "MB", "GB", "TB" };
    double value = double(bytes);
    int unit = -1;
    while (value >= 1000 && unit < 3) {
        value /= 1000;
        ++unit;
    }
    return QString::number(value, 'f', 1) + " " + units[unit];
}
