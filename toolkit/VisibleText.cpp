#include "toolkit/VisibleText.h"

#include "toolkit/Utf8Pieces.h"

namespace
{

// Characters that change the direction of the text around them; U+2028/9 break the line like a line feed.
bool IsLayoutControl(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString Hex(const char* prefix, unsigned value, int digits)
{
    return prefix + QString::number(value, 16).rightJustified(digits, '0');
}

QString Escaped(char32_t c)
{
    switch (c) {
    case '\n':
        return "\\n";
    case '\t':
        return "\\t";
    case '\r':
        return "\\r";
    default:
        return c < 0x80 ? Hex("\\x", c, 2) : Hex("\\u", c, 4);
    }
}

bool NeedsEscape(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || IsLayoutControl(c);
}

// A byte of a file name that is not UTF-8, as NameText keeps it: a low surrogate that no high one comes before.
bool IsNameByte(const QString& text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && !(i > 0 && text[i - 1].isHighSurrogate());
}

} // namespace

QString VisibleText(const QString& text)
{
    // Most text has nothing to escape and is given back as it is, without a copy.
    qsizetype first = 0;
    while (first < text.size() && !NeedsEscape(text[first].unicode()) && !IsNameByte(text, first))
        ++first;
    if (first == text.size())
        return text;
    QString shown = text.left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (IsNameByte(text, i))
            shown += Hex("\\x", c - 0xDC00, 2);
        else if (NeedsEscape(c))
            shown += Escaped(c);
        else
            shown += QChar(c);
    }
    return shown;
}

std::string VisibleText(const std::string& utf8)
{
    QString shown;
    SplitUtf8(
        utf8, [&](const QString& text) { shown += VisibleText(text); },
        [&](unsigned char byte) { shown += Hex("\\x", byte, 2); });
    return shown.toStdString();
}
