#include "toolkit/WordBreak.h"

#include <QFont>
#include <gtest/gtest.h>

namespace
{

QFontMetrics HintMetrics()
{
    QFont font("Trebuchet MS");
    font.setPixelSize(16);
    return QFontMetrics(font);
}

struct BreakCase {
    const char* name;
    QString text;
    QString widthOf; // the width to break at is this text's width
    QStringList lines;
};

class WordBreakLines : public ::testing::TestWithParam<BreakCase>
{
};

} // namespace

TEST_P(WordBreakLines, BreakOnlyAtBlanksAndLineBreaks)
{
    const QFontMetrics metrics = HintMetrics();
    const TWordBreak layout(metrics, GetParam().text, metrics.horizontalAdvance(GetParam().widthOf));
    EXPECT_EQ(layout.Lines(), GetParam().lines);
    int widest = 0;
    for (const QString& line : GetParam().lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    EXPECT_EQ(layout.Size(), QSize(widest, metrics.height() * int(GetParam().lines.size())));
}

INSTANTIATE_TEST_SUITE_P(Cases, WordBreakLines,
    ::testing::Values(BreakCase { "FillsEachLine", "aaa bbb ccc", "aaa bbb", { "aaa bbb", "ccc" } },
        BreakCase { "BlanksAtABreakAreDropped", "aaa    bbb", "aaa", { "aaa", "bbb" } },
        BreakCase { "BlanksInsideALineStay", "  a  b  ", "  a  b  ", { "  a  b  " } },
        BreakCase { "PathStaysWholeAndWidens", "/home/user/Videos/very-long.folder.name/clip.mp4", "/home",
            { "/home/user/Videos/very-long.folder.name/clip.mp4" } },
        BreakCase { "FormatNameSplitsOnlyAtBlanks", "(H.264 / AAC)", "(H.", { "(H.264", "/", "AAC)" } },
        BreakCase { "LongWordGetsALineOfItsOwn", "[path]: /home/user/Videos/very-long.folder.name/ x",
            "[path]: /home/user", { "[path]:", "/home/user/Videos/very-long.folder.name/", "x" } },
        BreakCase { "EveryKindOfLineBreak", "one\ntwo\r\nthree\rfour", "one two three four",
            { "one", "two", "three", "four" } },
        BreakCase { "EmptyLinesCountTrailingBreakDoesNot", "a\n\nb\n", "a b", { "a", "", "b" } },
        BreakCase { "EmptyTextIsOneEmptyLine", "", "x", { "" } }),
    [](const auto& info) { return std::string(info.param.name); });
