#include "RunnerFixture.h"

#include "../support/TestDialogs.h"

#include <algorithm>
#include <cerrno>

// A run from start to end: exit codes, stopping, time-outs, missing programs, a run started over a running one.
using DosCommandLifecycle = RunnerTest;

TEST_F(DosCommandLifecycle, NothingHasRunBeforeTheFirstStart)
{
    EXPECT_EQ(runner.Status(), 0);
    EXPECT_EQ(runner.Timer(), nullptr);
    EXPECT_FALSE(runner.Running());
    EXPECT_EQ(runner.ShowWindow(), swHIDE);
    EXPECT_EQ(runner.CreationFlag(), fCREATE_NEW_CONSOLE);
    EXPECT_EQ(runner.PriorityClass(), 0x20u);
    EXPECT_EQ(runner.OutputReturnCode(), rcCRLF);
}

TEST_F(DosCommandLifecycle, EmptyCommandLineStartsNothing)
{
    runner.Start();
    QCoreApplication::processEvents();
    EXPECT_FALSE(runner.Running());
    EXPECT_EQ(runner.Timer(), nullptr);
    EXPECT_TRUE(endings.empty());
}

TEST_F(DosCommandLifecycle, ExitCodeOfAChildThatEndsByItself)
{
    ASSERT_TRUE(RunChild({"--exit", "42"}));
    EXPECT_EQ(endings, std::vector<uint32_t>{42});
    EXPECT_EQ(runner.ExitCode(), 42u);
    EXPECT_EQ(runner.Status(), 8);
    EXPECT_FALSE(runner.Running());
}

TEST_F(DosCommandLifecycle, ChildKilledBySignalReports128PlusTheSignal)
{
    ASSERT_TRUE(RunChild({"--out", "before\\n", "--raise", "9"}));
    EXPECT_EQ(endings, std::vector<uint32_t>{128 + 9});
    EXPECT_EQ(runner.Status(), 8);
    runner.SetCommandLine(ChildCommand({"--raise", "15"}));
    runner.Start();
    ASSERT_TRUE(WaitForEndings(2));
    EXPECT_EQ(endings.back(), 128u + 15);
}

TEST_F(DosCommandLifecycle, StopKillsChildAndHelpersAndLeavesNoZombie)
{
    runner.SetCommandLine(ChildCommand({"--ignore-term", "--pid", "--grandchild", "--forever"}));
    runner.Start();
    ASSERT_TRUE(WaitUntil([&] { return NumberAfter(pieces, "grandchild") > 0; }));
    long child = NumberAfter(pieces, "pid");
    long helper = NumberAfter(pieces, "grandchild");
    ASSERT_NE(ProcessState(child), 0);
    runner.Stop();
    EXPECT_FALSE(runner.Running());
    ASSERT_TRUE(WaitForEndings(1));
    EXPECT_EQ(endings, std::vector<uint32_t>{StillActive});
    EXPECT_EQ(runner.Status(), 9);
    // Reaped before the end is reported: not even a zombie is left of the child.
    EXPECT_EQ(ProcessState(child), 0);
    // The helper was killed with the group; whoever adopted it reaps it.
    EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(helper); }));
}

TEST_F(DosCommandLifecycle, StoppedRunKeepsTheExitCodeOfTheRunBefore)
{
    ASSERT_TRUE(RunChild({"--exit", "7"}));
    runner.SetCommandLine(ChildCommand({"--forever"}));
    runner.Start();
    runner.Stop();
    ASSERT_TRUE(WaitForEndings(2));
    EXPECT_EQ(endings[1], StillActive);
    EXPECT_EQ(runner.ExitCode(), 7u);
}

TEST_F(DosCommandLifecycle, SilenceLongerThanTheLimitEndsTheRun)
{
    runner.SetMaxTimeAfterLastOutput(1);
    runner.SetCommandLine(ChildCommand({"--pid", "--forever"}));
    QElapsedTimer clock;
    runner.OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType type) {
        clock.start();
        pieces.push_back({text, type});
    };
    runner.Start();
    ASSERT_TRUE(WaitForEndings(1, 10000));
    qint64 silence = clock.elapsed();
    EXPECT_EQ(endings, std::vector<uint32_t>{StillActive});
    EXPECT_EQ(runner.Status(), 10);
    // The limit is exceeded at the second tick after the last output.
    EXPECT_GE(silence, 1000);
    EXPECT_LE(silence, 4000);
    EXPECT_EQ(ProcessState(NumberAfter(pieces, "pid")), 0);
    EXPECT_FALSE(runner.Timer()->Enabled());
}

TEST_F(DosCommandLifecycle, TalkativeChildStillEndsAtTheTotalLimit)
{
    runner.SetMaxTimeAfterBeginning(1);
    runner.SetMaxTimeAfterLastOutput(1);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(RunChild({"--stamps", "100000", "100"}));
    EXPECT_EQ(runner.Status(), 10);
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_LE(clock.elapsed(), 4000);
}

TEST_F(DosCommandLifecycle, NoLimitWhenTheLimitsAreZeroOrLess)
{
    runner.SetMaxTimeAfterBeginning(-1);
    runner.SetMaxTimeAfterLastOutput(0);
    ASSERT_TRUE(RunChild({"--sleep", "2300", "--exit", "0"}));
    EXPECT_EQ(runner.Status(), 8);
    EXPECT_EQ(endings, std::vector<uint32_t>{0});
}

TEST_F(DosCommandLifecycle, MissingProgramIsReportedOnceWithItsMessage)
{
    TTestDialogs dialogs;
    const std::string commandLine = "\"/nonexistent/bin/ffmpeg\" -i \"clip one.avi\"";
    runner.SetCommandLine(commandLine);
    runner.Start();
    ASSERT_TRUE(WaitForEndings(1));
    EXPECT_EQ(endings, std::vector<uint32_t>{ENOENT});
    EXPECT_EQ(runner.Status(), 5);
    EXPECT_EQ(runner.ExitCode(), static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(runner.StartFailure(), commandLine + " doesn't exist.");
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << "telling the user is the owner's business";
    EXPECT_FALSE(runner.Running());
}

TEST_F(DosCommandLifecycle, ProgramFoundInThePathWithoutAFolder)
{
    runner.SetCommandLine("true");
    runner.Start();
    ASSERT_TRUE(WaitForEndings(1));
    EXPECT_EQ(endings, std::vector<uint32_t>{0});
}

TEST_F(DosCommandLifecycle, StartDuringARunStopsItAndBeginsAfresh)
{
    runner.SetCommandLine(ChildCommand({"--pid", "--forever"}));
    runner.Start();
    ASSERT_TRUE(WaitUntil([&] { return !pieces.empty(); }));
    long first = NumberAfter(pieces, "pid");
    runner.SetCommandLine(ChildCommand({"--out", "second\\n", "--exit", "5"}));
    runner.Start();
    ASSERT_TRUE(WaitForEndings(2));
    EXPECT_EQ(std::count(endings.begin(), endings.end(), StillActive), 1);
    EXPECT_EQ(std::count(endings.begin(), endings.end(), 5u), 1);
    EXPECT_EQ(runner.CapturedLines(), std::vector<std::string>{"second"});
    EXPECT_EQ(runner.Status(), 8);
    EXPECT_EQ(runner.ExitCode(), 5u);
    EXPECT_EQ(ProcessState(first), 0);
}

TEST_F(DosCommandLifecycle, NextRunStartedFromTheEndOfTheLast)
{
    int runs = 0;
    runner.OnTerminated = [&](TDosCommand* sender, uint32_t exitCode) {
        endings.push_back(exitCode);
        EXPECT_FALSE(sender->Running());
        if (++runs < 3) {
            sender->SetCommandLine(ChildCommand({"--out", "run\\n", "--exit", std::to_string(runs)}));
            sender->Start();
        }
    };
    ASSERT_TRUE(RunChild({"--exit", "0"}));
    ASSERT_TRUE(WaitForEndings(3));
    EXPECT_EQ(endings, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(pieces.size(), 2u);
}

TEST_F(DosCommandLifecycle, FailingLineHandlerDoesNotEndTheRun)
{
    runner.OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType type) {
        pieces.push_back({text, type});
        throw Exception("handler failed");
    };
    ASSERT_TRUE(RunChild({"--out", "1\\n2\\n", "--exit", "4"}));
    EXPECT_EQ(pieces.size(), 2u);
    EXPECT_EQ(endings, std::vector<uint32_t>{4});
}

TEST_F(DosCommandLifecycle, FailingEndHandlerLeavesTheRunnerReadyForTheNextRun)
{
    runner.OnTerminated = [&](TDosCommand*, uint32_t exitCode) {
        endings.push_back(exitCode);
        throw Exception("next file failed");
    };
    ASSERT_TRUE(RunChild({"--exit", "0"}));
    runner.SetCommandLine(ChildCommand({"--exit", "3"}));
    runner.Start();
    ASSERT_TRUE(WaitForEndings(2));
    EXPECT_EQ(endings, (std::vector<uint32_t>{0, 3}));
}

TEST_F(DosCommandLifecycle, ChildGetsNoDescriptorOfOurs)
{
    ASSERT_TRUE(RunChild({"--fds"}));
    EXPECT_EQ(pieces, (std::vector<Piece>{{"fds 0", otEntireLine}}));
}

TEST_F(DosCommandLifecycle, SettingsChangedDuringARunApplyToTheNextRun)
{
    runner.SetCommandLine(ChildCommand({"--echo", "1", "--out", "first\\n"}));
    runner.Start();
    runner.SetCommandLine(ChildCommand({"--out", "second\\n"}));
    std::vector<std::string> late;
    runner.OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType) { late.push_back(text); };
    runner.PendingInput().Add("go\n");
    ASSERT_TRUE(WaitForEndings(1));
    EXPECT_EQ(pieces, (std::vector<Piece>{{"got:go", otEntireLine}, {"first", otEntireLine}}));
    EXPECT_TRUE(late.empty());
}

TEST_F(DosCommandLifecycle, HelperLeftRunningByAChildThatExitedIsKilled)
{
    ASSERT_TRUE(RunChild({"--grandchild", "--exit", "0"}));
    long helper = NumberAfter(pieces, "grandchild");
    ASSERT_GT(helper, 0);
    EXPECT_EQ(endings, std::vector<uint32_t>{0});
    EXPECT_EQ(runner.Status(), 8);
    // Killed with the group before the end was reported; whoever adopted it reaps it.
    EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(helper); }, 5000));
}

TEST_F(DosCommandLifecycle, RunStartedFromTheEndOfTheOldOneStillTimesOut)
{
    runner.OnTerminated = [&](TDosCommand* sender, uint32_t exitCode) {
        endings.push_back(exitCode);
        if (endings.size() == 1) {
            sender->SetMaxTimeAfterLastOutput(1);
            sender->SetCommandLine(ChildCommand({"--forever"}));
            sender->Start();
        }
    };
    ASSERT_TRUE(RunChild({"--exit", "0"}));
    ASSERT_TRUE(WaitUntil([&] { return runner.Running() && runner.Timer()->Enabled(); }));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitForEndings(2, 10000)) << "the new run's time-out never fired";
    EXPECT_EQ(endings, (std::vector<uint32_t>{0, StillActive}));
    EXPECT_EQ(runner.Status(), 10);
    EXPECT_LE(clock.elapsed(), 4000);
}
