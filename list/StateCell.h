#pragma once

#include "list/ItemData.h"

#include <QString>

class QFontMetrics;
class TCanvas;

// The state column of a row. A waiting row shows the empty state box; a converting one the box filled as a bar
// to its percent, with the percent and the time left on it, or the moving block while its length is unknown. A
// finished row shows words instead: a Done one the size and length of its file and how many notes it has ("12.3 MB,
// 00:01:05 · 2 notes"), a Failed one the first words of its reason.

// Paints the box of a waiting or converting row into the cell; nothing for the other states.
void PaintStateCell(TCanvas& canvas, const TRect& cell, const TItemNodeData& row);
// Paints the bar of a converting row whose percent is known, with its text, over the box; the canvas's brush is
// the list's colour. Painted last, so that the texts keep a contrast of 4.5:1 at least whatever tints the row.
void PaintStateBar(TCanvas& canvas, const TRect& cell, const TItemNodeData& row);
// The colour of the state column's words for a Done row with notes, which must read on the list's background and
// on its selection's tint.
TColor NotesTextColor(TColor background);
// The words of a Done or Failed row, as many as fit in width with the font (cut at a blank, "…" after them);
// empty for the other states.
QString StateCellText(const TItemNodeData& row, const QFontMetrics& metrics, int width);
// A size in bytes as people read it: "512 B", "1.5 kB", "12.3 MB", "2.0 GB".
QString SizeText(int64_t bytes);
