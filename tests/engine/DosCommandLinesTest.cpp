#include "RunnerFixture.h"

#include "toolkit/StringList.h"

// How the child's bytes become lines: every way a line can end, pieces across reads, and the console mirror.
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
