#pragma once

#include <QString>
#include <string>

// The text with every control character and every bidirectional control shown as an escape, as ls and ffmpeg
// show them: "\n", "\t", "\r", "\x1b" for the C0 controls and DEL, "\u202e" for C1 controls, bidirectional
// controls and line separators. A name so shown can neither drive a terminal, nor forge a line, nor reorder
// what is shown with it. A byte of a file name that NameText kept (not UTF-8) shows as "\xe9"; all other text is
// unchanged.
QString VisibleText(const QString& text);
// The same for UTF-8 bytes; a byte that is not UTF-8 shows as "\xff".
std::string VisibleText(const std::string& utf8);
