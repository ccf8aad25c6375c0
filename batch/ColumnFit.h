#pragma once

#include <string>

// Columns a character takes on a terminal: 0 for combining marks and other characters drawn over the one
// before, 2 for East Asian wide and fullwidth characters (CJK, Hangul, kana, emoji), 1 for all others.
int CharColumns(char32_t c);
// The printable UTF-8 line cut so that it takes at most columns columns, never inside a character; unchanged
// when columns is 0 or less (no width known).
std::string FitColumns(const std::string& line, int columns);
