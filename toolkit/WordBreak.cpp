#include "toolkit/WordBreak.h"

#include <QRegularExpression>

TWordBreak::TWordBreak(const QFontMetrics& metrics, const QString& text, int width)
    : m_lineHeight(metrics.height())
{
    static const QRegularExpression lineBreak("\\r\\n|\\r|\\n");
    QStringList paragraphs = text.split(lineBreak);
    if (paragraphs.size() > 1 && paragraphs.last().isEmpty())
        paragraphs.removeLast();
    for (const QString& paragraph : paragraphs)
        BreakParagraph(metrics, paragraph, width);
    int widest = 0;
    for (const QString& line : m_lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    m_size = QSize(widest, m_lineHeight * int(m_lines.size()));
}

void TWordBreak::BreakParagraph(const QFontMetrics& metrics, const QString& paragraph, int width)
{
    // The line so far runs from lineStart to lineEnd; each step adds the blanks and the word that follow it.
    qsizetype lineStart = 0;
    qsizetype lineEnd = 0;
    bool lineHasWord = false;
    while (lineEnd < paragraph.size()) {
        qsizetype wordStart = lineEnd;
        while (wordStart < paragraph.size() && paragraph[wordStart] == ' ')
            ++wordStart;
        qsizetype wordEnd = wordStart;
        while (wordEnd < paragraph.size() && paragraph[wordEnd] != ' ')
            ++wordEnd;
        const bool isWord = wordStart < wordEnd;
        if (isWord && lineHasWord && metrics.horizontalAdvance(paragraph.mid(lineStart, wordEnd - lineStart)) > width) {
            m_lines.append(paragraph.mid(lineStart, lineEnd - lineStart));
            lineStart = wordStart;
        }
        lineHasWord = lineHasWord || isWord;
        lineEnd = wordEnd;
    }
    m_lines.append(paragraph.mid(lineStart, lineEnd - lineStart));
}
