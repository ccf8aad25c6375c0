#include "batch/ColumnFit.h"

#include <QChar>
#include <QString>
#include <algorithm>
#include <iterator>

namespace {

struct TRange {
    char32_t first;
    char32_t last;
};

// The blocks whose characters terminals draw two columns wide.
constexpr TRange Wide[] = {
    {0x1100, 0x115F}, {0x231A, 0x231B}, {0x2329, 0x232A}, {0x23E9, 0x23EC}, {0x23F0, 0x23F0}, {0x23F3, 0x23F3},
    {0x25FD, 0x25FE}, {0x2614, 0x2615}, {0x2648, 0x2653}, {0x267F, 0x267F}, {0x2693, 0x2693}, {0x26A1, 0x26A1},
    {0x26AA, 0x26AB}, {0x26BD, 0x26BE}, {0x26C4, 0x26C5}, {0x26CE, 0x26CE}, {0x26D4, 0x26D4}, {0x26EA, 0x26EA},
    {0x26F2, 0x26F5}, {0x26FA, 0x26FD}, {0x2705, 0x2705}, {0x270A, 0x270B}, {0x2728, 0x2728}, {0x274C, 0x274C},
    {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xA960, 0xA97F},
    {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFE10, 0xFE19}, {0xFE30, 0xFE6F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6},
    {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
    {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F2FF}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

} // namespace

int CharColumns(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing || category == QChar::Other_Format
        || (c >= 0x1160 && c <= 0x11FF))
        return 0;
    const TRange* range = std::upper_bound(std::begin(Wide), std::end(Wide), c,
        [](char32_t value, const TRange& r) { return value < r.first; });
    return range != std::begin(Wide) && c <= std::prev(range)->last ? 2 : 1;
}

std::string FitColumns(const std::string& line, int columns)
{
    if (columns <= 0)
        return line;
    const QString text = QString::fromStdString(line);
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const char32_t c = text.at(end).isHighSurrogate() && end + 1 < text.size()
            ? QChar::surrogateToUcs4(text.at(end), text.at(end + 1))
            : text.at(end).unicode();
        used += CharColumns(c);
        if (used > columns)
            break;
        end += c > 0xFFFF ? 2 : 1;
    }
    return end == text.size() ? line : text.left(end).toStdString();
}
