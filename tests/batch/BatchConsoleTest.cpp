// What the command-line mode prints while it works: live lines on a terminal, only failures when quiet.
#include "tests/batch/BatchProgram.h"

#include <gtest/gtest.h>

namespace {

// Two rows: one whose encoder reports half of its one-second source done and then works on for a while, and one
// that fails at once.
QString TwoRowList(const TBatchProgram& program)
{
    const QString out = program.Folder("out");
    return program.WriteList("list.qfl",
        { { program.Source("slow.avi",
                "say frame=   5 fps=0.0 q=0.0 size=0kB time=00:00:00.50 speed=1x\n"
                "sleep 2500\n"),
              0, out },
            { program.Source("bad.avi", "say bad.avi: Invalid data found when processing input\nexit 1\n"), 0, out } });
}

} // namespace

TEST(BatchConsole, TerminalShowsEachEncoderAndTheWholeBatchRedrawnInPlace)
{
    TBatchProgram program;
    const QString command = program.Path() + "/reelhand --convert " + TwoRowList(program) + " --jobs 2";
    // script(1) gives the program a terminal of its own, as a person at a console would.
    const std::unique_ptr<QProcess> terminal = std::make_unique<QProcess>();
    terminal->start("script", { "--quiet", "--return", "--flush", "--command", command, "/dev/null" });
    ASSERT_TRUE(terminal->waitForFinished(60000));
    const QString text = QString::fromUtf8(terminal->readAllStandardOutput());

    EXPECT_EQ(terminal->exitCode(), 1) << text.toStdString();
    // Half of the clip's picture; its sound lasts a little longer.
    EXPECT_TRUE(text.contains(QRegularExpression("  slow\\.avi  (49|50) %, "))) << text.toStdString();
    EXPECT_TRUE(text.contains("  bad.avi  00:00:00 elapsed"));
    EXPECT_TRUE(text.contains(QRegularExpression("0 done, 1 failed, 0 skipped of 2, 00:00:0\\d elapsed, "
                                                 "about \\d\\d:\\d\\d:\\d\\d left")))
        << text.toStdString();
    // Back up over the live lines and clear them before drawing them again.
    EXPECT_TRUE(text.contains(QRegularExpression("\r\x1b\\[[23]A\x1b\\[J")));
    EXPECT_TRUE(text.contains("failed   item 2: "));
    EXPECT_TRUE(text.contains("Converted 1, failed 1, skipped 0 of 2 in "));
}

TEST(BatchConsole, QuietPrintsOnlyFailuresAndTheSummary)
{
    TBatchProgram program;
    const QString list = TwoRowList(program);

    const TBatchProgram::TResult result = program.Run({ "--convert", list, "--quiet" });

    EXPECT_EQ(result.ExitCode, 1);
    const QString failure = "item 2: " + program.Folder("clips") +
        "/bad.avi: The file is damaged or is not a video: bad.avi: Invalid data found when "
        "processing input\n";
    EXPECT_EQ(result.Out.section("Converted", 0, 0), "failed   " + failure);
    EXPECT_TRUE(result.Out.endsWith("Failed:\n  " + failure)) << result.Out.toStdString();
}

// The batch cannot end before its slowest running file: the overall time left is never below a file's own.
TEST(BatchConsole, OverallTimeLeftIsAtLeastEachRunningFilesOwn)
{
    TBatchProgram program;
    const QString list = program.WriteList("l.qfl",
        { { program.Source("fast.avi",
                "say   Duration: 00:00:10.00, start: 0.000000\nsay size=0kB time=00:00:09.00 speed=1x\nsleep 2500\n"),
              0, "" },
            { program.Source("slow.avi",
                  "say   Duration: 00:01:40.00, start: 0.000000\nsay size=0kB time=00:00:10.00 speed=1x\nsleep 2500\n"),
                0, "" } });
    QProcess terminal;
    terminal.start("script", { "--quiet", "--return", "--flush", "--command",
                                 program.Path() + "/reelhand --convert " + list + " --jobs 2", "/dev/null" });
    ASSERT_TRUE(terminal.waitForFinished(60000));
    const QString text = QString::fromUtf8(terminal.readAllStandardOutput());

    static const QRegularExpression left("(\\.avi  \\d+ %|elapsed), about (\\d\\d):(\\d\\d):(\\d\\d) left");
    int longestFile = 0;
    int overallLines = 0;
    for (const QRegularExpressionMatch& match : left.globalMatch(text)) {
        const int seconds = match.captured(2).toInt() * 3600 + match.captured(3).toInt() * 60 + match.captured(4).toInt();
        if (match.captured(1) != "elapsed") {
            longestFile = std::max(longestFile, seconds);
            continue;
        }
        ++overallLines;
        EXPECT_GE(seconds, longestFile) << text.toStdString();
        longestFile = 0;
    }
    EXPECT_GT(overallLines, 0) << text.toStdString();
}
