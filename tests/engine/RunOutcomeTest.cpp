#include "engine/RunOutcome.h"

#include "engine/DosCommand.h"
#include "engine/EncoderReport.h"
#include "tests/support/TestDialogs.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

// Why a run failed, from how it ended and what the encoder said last.
TEST(RunOutcome, SaysWhyARunFailed)
{
    struct Case {
        uint32_t exitCode;
        std::vector<std::string> lines;
        bool success;
        std::string reason;
    };
    const std::vector<Case> cases = {
        { 0, { "a warning" }, true, "" },
        { 1, { "in.avi: Invalid data found when processing input" }, false,
            "in.avi: Invalid data found when processing input" },
        { 1, {}, false, "the encoder ended with exit code 1" },
        { StillActive, { "frame=1 time=00:00:01.00" }, false, "stopped by you" },
        { 128 + 9, { "anything" }, false, "the encoder was killed by signal 9" },
        { 255, {}, false, "the encoder ended with exit code 255" },
    };
    TDosCommand runner;
    for (const Case& c : cases) {
        TEncoderReport report;
        for (const std::string& line : c.lines)
            report.TakeLine(line);
        const TRunOutcome outcome = RunOutcome(runner, c.exitCode, report);
        EXPECT_EQ(outcome.Success, c.success) << c.exitCode;
        EXPECT_EQ(outcome.Reason, c.reason) << c.exitCode;
    }
}

TEST(RunOutcome, EncoderThatCannotStartIsNamedWithTheSystemsReason)
{
    TTestDialogs dialogs; // the window's runner also shows the failure in a box
    TDosCommand runner;
    std::optional<uint32_t> ended;
    runner.OnTerminated = [&](TDosCommand*, uint32_t code) { ended = code; };
    runner.SetCommandLine("\"/nonexistent/bin/ffmpeg\" -i a b");
    runner.Start();
    ASSERT_TRUE(WaitUntil([&] { return ended.has_value(); }));

    EXPECT_EQ(RunOutcome(runner, *ended, TEncoderReport()).Reason,
        "the encoder could not be started: No such file or directory");
}
