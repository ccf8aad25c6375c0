#pragma once

#include <QFontMetrics>
#include <QSize>
#include <QStringList>

// Lays text out in lines as the classic word-breaking text call does. Lines end at each line break (CR LF, LF
// or CR) and, where the next word would make a line wider than the width, at the blanks before that word,
// which are then dropped. A word is never split: one wider than the width stands on a line of its own and
// makes the layout wider than asked. Qt's own word wrap differs: it also breaks after "/", "-" and ".".
class TWordBreak
{
public:
    TWordBreak(const QFontMetrics& metrics, const QString& text, int width);

    // At least one line; a line break at the very end of the text starts no further line.
    const QStringList& Lines() const { return m_lines; }
    // What the calculate-only call answers: the widest line by one line height per line.
    QSize Size() const { return m_size; }
    int LineHeight() const { return m_lineHeight; }

private:
    void BreakParagraph(const QFontMetrics& metrics, const QString& paragraph, int width);

    QStringList m_lines;
    QSize m_size;
    int m_lineHeight;
};
