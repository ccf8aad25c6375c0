#include "list/StateCell.h"

#include "engine/row/EncoderReport.h"
#include "list/RowNotes.h"
#include "toolkit/Canvas.h"
#include "toolkit/Contrast.h"
#include "toolkit/VisibleText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace
{

const TColor StateBoxColor = RGB(127, 157, 185);
// Darker than the box's outline, so that white reads on it and it reads on the list.
const QColor BarColor(52, 92, 140);
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

// The box's colours for the bar and its text: each text reads at 4.5:1 at least on what is behind it. A
// high-contrast desktop gives them from its palette.
struct TBarColors {
    QColor Interior;
    QColor Bar;
    QColor OnBar;
    QColor Beside;
};

TBarColors BarColors(TColor listColor)
{
    if (HighContrastDesktop()) {
        const QPalette palette = QGuiApplication::palette();
        const QColor interior = palette.color(QPalette::Base);
        const QColor bar = palette.color(QPalette::Highlight);
        return { interior, bar, ReadableOn(bar, palette.color(QPalette::HighlightedText)),
            ReadableOn(interior, palette.color(QPalette::Text)) };
    }
    const QColor interior = ColorToRGB(listColor);
    return { interior, BarColor, ReadableOn(BarColor, Qt::white), ReadableOn(interior, BarColor) };
}

} // namespace

void PaintStateBar(TCanvas& canvas, const TRect& cell, const TItemNodeData& row)
{
    const TItemData& item = row.ItemData;
    if (row.ImageIndex != Converting || item.Busy != 1 || !item.Percent)
        return;
    const TBarColors colors = BarColors(canvas.BrushColor);
    const TRect box { cell.Left + StateBoxInset, cell.Top + StateBoxInset, cell.Right - StateBoxInset,
        cell.Bottom - StateBoxInset };
    const TRect inside { box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1 };
    const int filled = inside.Width() * std::clamp(*item.Percent, 0, 100) / 100;
    const TRect bar { inside.Left, inside.Top, inside.Left + filled, inside.Bottom };
    canvas.FillRect(inside, ColorFromQColor(colors.Interior));
    canvas.FillRect(bar, ColorFromQColor(colors.Bar));
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
    canvas.FontColor = ColorFromQColor(colors.OnBar);
    canvas.TextRect(textRect, text, flags);
    painter.restore();
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setClipRegion(QRegion(inside.ToQRect()).subtracted(bar.ToQRect()), Qt::IntersectClip);
    canvas.FontColor = ColorFromQColor(colors.Beside);
    canvas.TextRect(textRect, text, flags);
    painter.restore();
}

namespace
{

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
    // The bar is painted once the row's selection has tinted the cell (PaintStateBar).
    if (item.Percent)
        return;
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
        // What the format could not keep is told where the row is looked at, not only in its properties; where
        // the cell is narrow the length gives way to it.
        if (!item.Notes.isEmpty()) {
            const QString notes = QString(" \u00b7 ") + NotesCountText(item.Notes.size());
            if (metrics.horizontalAdvance(text + notes) > width && parts.size() > 1)
                text = parts.first();
            text += notes;
        }
    } else if (row.ImageIndex == Failed) {
        text = item.Stopped ? QString("Stopped by you.")
            : item.Reason.isEmpty() ? QString("Failed")
                                    : VisibleText(item.Reason);
    }
    return FirstWords(text, metrics, width);
}

TColor NotesTextColor(TColor background)
{
    // The captions' blue: 5.4:1 even on the tint of a selected row, where the list's own colour has 3.3:1 unselected.
    const QColor preferred
        = HighContrastDesktop() ? QGuiApplication::palette().color(QPalette::Text) : QColor(21, 66, 139);
    return ColorFromQColor(ReadableOn(ColorToRGB(background), preferred));
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
