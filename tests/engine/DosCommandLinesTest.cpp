#include "RunnerFixture.h"

#include "toolkit/StringList.h"

// How the child's bytes become lines: every way a line can end, pieces across reads, and the console mirror.
// Pauses in the child put bytes into separate reads; the reader picks output up within milliseconds.
using DosCommandLines = RunnerTest;

TEST_F(DosCommandLines, OneBurstEndsEachLineByItsOwnBreak)
{
    ASSERT_TRUE(RunChild({"--out", "a\\r\\nb\\rc", "--exit", "3"}));
    std::vector<Piece> expected{{"a", otEntireLine}, {"b", otEntireLine}, {"c", otBeginningOfLine}};
    EXPECT_EQ(pieces, expected);
    EXPECT_EQ(endings, std::vector<uint32_t>{3});
    EXPECT_EQ(runner.ExitCode(), 3u);
    EXPECT_EQ(runner.Status(), 8);
    EXPECT_EQ(runner.OutputReturnCode(), rcLF);
}

TEST_F(DosCommandLines, CrLfInOneReadIsReportedAsCrLf)
{
    ASSERT_TRUE(RunChild({"--out", "one\\r\\n"}));
    EXPECT_EQ(pieces, (std::vector<Piece>{{"one", otEntireLine}}));
    EXPECT_EQ(runner.OutputReturnCode(), rcCRLF);
}

TEST_F(DosCommandLines, CrLfSplitAcrossReadsIsOneBreak)
{
    ASSERT_TRUE(RunChild({"--out", "x\\r", "--sleep", "300", "--out", "\\ny\\nz\\n"}));
    std::vector<Piece> expected{{"x", otEntireLine}, {"y", otEntireLine}, {"z", otEntireLine}};
    EXPECT_EQ(pieces, expected);
}

TEST_F(DosCommandLines, LineInThreeReadsGrowsInOneConsoleEntry)
{
    TStringList console;
    runner.SetTargetLines(&console);
    ASSERT_TRUE(RunChild({"--out", "ab", "--sleep", "300", "--out", "cd", "--sleep", "300", "--out", "e\\n"}));
    std::vector<Piece> expected{{"ab", otBeginningOfLine}, {"abcd", otBeginningOfLine}, {"abcde", otEntireLine}};
    EXPECT_EQ(pieces, expected);
    EXPECT_EQ(console.Items(), std::vector<std::string>{"abcde"});
    EXPECT_EQ(console.UpdateCount(), 0);
}

TEST_F(DosCommandLines, ConsoleMirrorAppendsAfterWhatWasThere)
{
    TStringList console;
    console.Add("earlier");
    runner.SetTargetLines(&console);
    ASSERT_TRUE(RunChild({"--out", "1\\n2", "--sleep", "300", "--out", "3\\n"}));
    EXPECT_EQ(console.Items(), (std::vector<std::string>{"earlier", "1", "23"}));
}

TEST_F(DosCommandLines, ProgressRedrawnWithLoneCrBecomesOneLinePerRedraw)
{
    TStringList console;
    runner.SetTargetLines(&console);
    ASSERT_TRUE(RunChild({"--out", "frame=1\\rframe=2\\rframe=3\\r\\n"}));
    std::vector<Piece> expected{{"frame=1", otEntireLine}, {"frame=2", otEntireLine}, {"frame=3", otEntireLine}};
    EXPECT_EQ(pieces, expected);
    EXPECT_EQ(console.Items(), (std::vector<std::string>{"frame=1", "frame=2", "frame=3"}));
}

TEST_F(DosCommandLines, NulBytesAreDroppedAndEmptyLinesKept)
{
    ASSERT_TRUE(RunChild({"--out", "a\\0b\\n\\nc\\n\\n\\rd\\n"}));
    std::vector<Piece> expected{{"ab", otEntireLine}, {"", otEntireLine}, {"c", otEntireLine},
                                {"", otEntireLine}, {"", otEntireLine}, {"d", otEntireLine}};
    EXPECT_EQ(pieces, expected);
}

TEST_F(DosCommandLines, ErrorAndOutputArriveMergedInWrittenOrder)
{
    ASSERT_TRUE(RunChild({"--out", "1\\n", "--err", "2\\n", "--out", "3\\n", "--err", "4"}));
    std::vector<Piece> expected{
        {"1", otEntireLine}, {"2", otEntireLine}, {"3", otEntireLine}, {"4", otBeginningOfLine}};
    EXPECT_EQ(pieces, expected);
}

TEST_F(DosCommandLines, BytesAreHandedOverUnconverted)
{
    ASSERT_TRUE(RunChild({"--out", "caf\\xc3\\xa9 \\xff\\x01\\n"}));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].Text, "caf\xc3\xa9 \xff\x01");
}

TEST_F(DosCommandLines, CapturedLinesHoldEveryPieceInOrder)
{
    ASSERT_TRUE(RunChild({"--out", "p", "--sleep", "300", "--out", "q\\nr\\n"}));
    std::vector<std::string> texts;
    for (const Piece& piece : pieces)
        texts.push_back(piece.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"p", "pq", "r"}));
    EXPECT_EQ(runner.CapturedLines(), texts);
}

TEST_F(DosCommandLines, LineLongerThanTheLimitIsCutIntoEntireLines)
{
    // One line of exactly the limit, then one of more than twice the limit, each with its line break.
    const long exact = static_cast<long>(MaxLineLength);
    const long longer = 2 * exact + 1000;
    ASSERT_TRUE(RunChild({"--burst", std::to_string(exact + 1), std::to_string(exact + 1), "--burst",
                          std::to_string(longer + 1), std::to_string(longer + 1)}));
    std::vector<std::size_t> sizes;
    std::string joined;
    for (const std::string& line : EntireLines()) {
        sizes.push_back(line.size());
        joined += line;
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{MaxLineLength, MaxLineLength, MaxLineLength, 1000}));
    EXPECT_EQ(joined, "0" + std::string(exact - 1, 'x') + "0" + std::string(longer - 1, 'x'));
    for (const Piece& piece : pieces)
        EXPECT_LE(piece.Text.size(), MaxLineLength);
}

TEST_F(DosCommandLines, CapturedLinesKeepOnlyTheMostRecentPieces)
{
    const long count = static_cast<long>(MaxCapturedPieces) + 3000;
    ASSERT_TRUE(RunChild({"--lines", std::to_string(count)}, 60000));
    ASSERT_EQ(EntireLines().size(), static_cast<std::size_t>(count));
    std::vector<std::string> kept = runner.CapturedLines();
    ASSERT_EQ(kept.size(), MaxCapturedPieces);
    EXPECT_EQ(kept.front(), "line 3000");
    EXPECT_EQ(kept.back(), "line " + std::to_string(count - 1));
    // Long pieces are bounded by their bytes instead.
    runner.SetCommandLine(ChildCommand({"--burst", "3000000", "10000"}));
    runner.Start();
    ASSERT_TRUE(WaitForEndings(2, 60000));
    kept = runner.CapturedLines();
    std::size_t bytes = 0;
    for (const std::string& piece : kept)
        bytes += piece.size();
    EXPECT_LE(bytes, MaxCapturedBytes);
    EXPECT_GT(bytes, MaxCapturedBytes - 10000);
    EXPECT_EQ(std::stol(kept.back()), 299);
}

TEST_F(DosCommandLines, TenMegabyteBurstArrivesWholeAndInOrderBeforeTheEnd)
{
    const long total = 10L * 1024 * 1024;
    const long lineLength = 1024;
    long expectedNumber = 0;
    long bytes = 0;
    bool inOrder = true;
    bool afterEnd = false;
    runner.OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType type) {
        afterEnd = afterEnd || !endings.empty();
        if (type != otEntireLine)
            return;
        inOrder = inOrder && std::stol(text) == expectedNumber &&
                  text.size() == static_cast<std::size_t>(lineLength - 1) &&
                  text.find_first_not_of('x', std::to_string(expectedNumber).size()) == std::string::npos;
        ++expectedNumber;
        bytes += static_cast<long>(text.size()) + 1;
    };
    ASSERT_TRUE(RunChild({"--burst", std::to_string(total), std::to_string(lineLength)}, 120000));
    EXPECT_TRUE(inOrder);
    EXPECT_FALSE(afterEnd);
    EXPECT_EQ(bytes, total);
    EXPECT_EQ(expectedNumber, total / lineLength);
    EXPECT_EQ(endings, std::vector<uint32_t>{0});
}
