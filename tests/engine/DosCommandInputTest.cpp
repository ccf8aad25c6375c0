#include "RunnerFixture.h"

// Text queued for the child's standard input: sent exactly as queued, echoed as output when asked, and never
// able to stall or kill the program when the child does not read it.
using DosCommandInput = RunnerTest;

TEST_F(DosCommandInput, QueuedEntriesReachTheChildInOrder)
{
    runner.SetCommandLine(ChildCommand({"--echo", "3"}));
    runner.Start();
    runner.PendingInput().Add("one\n");
    runner.PendingInput().Add("tw");
    runner.PendingInput().Add("o\nthree\n");
    ASSERT_TRUE(WaitForEndings(1));
    std::vector<Piece> expected{{"got:one", otEntireLine}, {"got:two", otEntireLine}, {"got:three", otEntireLine}};
    EXPECT_EQ(pieces, expected);
    EXPECT_EQ(runner.PendingInput().Count(), 0);
}

TEST_F(DosCommandInput, StartEmptiesWhatWasQueuedBefore)
{
    runner.PendingInput().Add("stale\n");
    runner.SetCommandLine(ChildCommand({"--echo", "1"}));
    runner.Start();
    EXPECT_EQ(runner.PendingInput().Count(), 0);
    runner.PendingInput().Add("fresh\n");
    ASSERT_TRUE(WaitForEndings(1));
    EXPECT_EQ(pieces, (std::vector<Piece>{{"got:fresh", otEntireLine}}));
}

TEST_F(DosCommandInput, TypedAnswerShowsAfterThePromptOnTheSameLine)
{
    runner.SetInputToOutput(true);
    runner.OnNewLine = [&](TDosCommand* sender, const std::string& text, TOutputType type) {
        pieces.push_back({text, type});
        if (text == "Name? ")
            sender->PendingInput().Add("bob\n");
    };
    ASSERT_TRUE(RunChild({"--out", "Name? ", "--echo", "1"}));
    std::vector<Piece> expected{
        {"Name? ", otBeginningOfLine}, {"Name? bob\n", otEntireLine}, {"got:bob", otEntireLine}};
    EXPECT_EQ(pieces, expected);
}

TEST_F(DosCommandInput, EchoedEntryWithoutLineBreakStaysABeginning)
{
    runner.SetInputToOutput(true);
    runner.SetCommandLine(ChildCommand({"--echo", "1"}));
    runner.Start();
    runner.PendingInput().Add("ab");
    runner.PendingInput().Add("c\r\n");
    ASSERT_TRUE(WaitForEndings(1));
    std::vector<Piece> expected{{"ab", otBeginningOfLine}, {"abc\r\n", otEntireLine}, {"got:abc", otEntireLine}};
    EXPECT_EQ(pieces, expected);
}

TEST_F(DosCommandInput, InputForAChildThatClosedItsInputIsDroppedQuietly)
{
    runner.OnNewLine = [&](TDosCommand* sender, const std::string& text, TOutputType type) {
        pieces.push_back({text, type});
        if (text == "closed")
            sender->PendingInput().Add(std::string(200000, 'y'));
    };
    ASSERT_TRUE(RunChild({"--close-stdin", "--sleep", "300", "--out", "alive\\n", "--exit", "6"}));
    EXPECT_EQ(pieces, (std::vector<Piece>{{"closed", otEntireLine}, {"alive", otEntireLine}}));
    EXPECT_EQ(endings, std::vector<uint32_t>{6});
}

TEST_F(DosCommandInput, StopIsNotHeldUpByAChildThatNeverReads)
{
    runner.SetCommandLine(ChildCommand({"--out", "busy\\n", "--forever"}));
    runner.Start();
    runner.PendingInput().Add(std::string(4 << 20, 'z'));
    ASSERT_TRUE(WaitUntil([&] { return !pieces.empty(); }));
    runner.Stop();
    ASSERT_TRUE(WaitForEndings(1));
    EXPECT_EQ(runner.Status(), 9);
}

TEST_F(DosCommandInput, OutputKeepsFlowingWhileALongEntryIsWritten)
{
    const std::string entry = std::string(300000, 'k') + "\n";
    runner.SetCommandLine(ChildCommand({"--burst", "2000000", "100", "--echo", "1"}));
    runner.Start();
    runner.PendingInput().Add(entry);
    ASSERT_TRUE(WaitForEndings(1, 60000));
    std::vector<std::string> lines = EntireLines();
    // The echo is longer than a line may be: it comes cut into entire lines of the limit, 300004 bytes in five.
    ASSERT_EQ(lines.size(), 20005u);
    std::string echoed;
    for (std::size_t i = 20000; i < lines.size(); ++i)
        echoed += lines[i];
    EXPECT_EQ(echoed, "got:" + entry.substr(0, entry.size() - 1));
    EXPECT_EQ(endings, std::vector<uint32_t>{0});
}
