#include "RunnerFixture.h"

#include "../support/TestDialogs.h"

// A run from start to end: exit codes, stopping, missing programs, a run started over a running one.
using DosCommandLifecycle = RunnerTest;

TEST_F(DosCommandLifecycle, StopKillsTheChildAndStillReportsTheEnd)
{
    runner.SetCommandLine(ChildCommand({"--out", "ready\\n", "--forever"}));
    runner.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pieces.empty(); }, 10000));
    runner.Stop();
    ASSERT_TRUE(WaitForEndings(1));
    EXPECT_EQ(endings, std::vector<uint32_t>{StillActive});
    EXPECT_EQ(runner.Status(), 9);
    EXPECT_FALSE(runner.Running());
}

TEST_F(DosCommandLifecycle, MissingProgramRaisesTheMessageAfterTheEnd)
{
    TTestDialogs dialogs;
    const std::string commandLine = "/nonexistent/encoder -i x";
    runner.SetCommandLine(commandLine);
    runner.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.Messages.isEmpty(); }, 10000));
    ASSERT_EQ(endings.size(), 1u);
    EXPECT_NE(endings[0], 0u);
    EXPECT_EQ(runner.Status(), 5);
    EXPECT_EQ(dialogs.Messages[0].Text.toStdString(), commandLine + " doesn't exist.");
    EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Stop);
    EXPECT_EQ(dialogs.Messages[0].Caption, "Quor Reelhand");
}
