#pragma once

#include <QColor>

// How well text reads on what is behind it, and the desktop's wish for more of it.

// The contrast ratio of two colours (their relative luminances, the lighter plus 0.05 over the darker plus
// 0.05): 1 for the same colour, 21 for black on white. Text wants 4.5 at least.
double ContrastRatio(const QColor& a, const QColor& b);
// The colour to write on the background: the preferred one where it reads at 4.5:1 at least, else black or
// white, whichever reads better (one of them always reaches 4.5:1).
QColor ReadableOn(const QColor& background, const QColor& preferred);
// Whether the user asked the desktop for high contrast: a high-contrast GTK theme (GTK_THEME), or the desktop
// portal's contrast setting (asked once; no session bus or no answer counts as no).
bool HighContrastDesktop();
