// What an ended encoder run means for its file, and what a failed run leaves behind.
#include "engine/RunOutcome.h"

#include "engine/ConversionRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

TEncoderReport Saying(const std::vector<std::string>& lines)
{
    TEncoderReport report;
    for (const std::string& line : lines)
        report.TakeLine(line);
    return report;
}

TEST(RunOutcome, EachEndOfARunGivesItsReason)
{
    const TEncoderReport silent;
    const TEncoderReport invalid
        = Saying({ "Input #0, avi, from 'a.avi':", "a.avi: Invalid data found when processing input" });
    const struct {
        int Status;
        uint32_t ExitCode;
        int Signal;
        const TEncoderReport& Report;
        const char* Reason; // empty for a success
    } cases[] = {
        { 8, 0, 0, invalid, "" },
        { 8, 1, 0, invalid, "a.avi: Invalid data found when processing input" },
        { 8, 1, 0, silent, "The encoder ended with exit code 1." },
        { 8, 137, 9, invalid, "The encoder was killed by signal 9." },
        { 8, 137, 0, silent, "The encoder ended with exit code 137." },
        { 9, 259, 0, invalid, "Stopped by you." },
        { 10, 259, 0, silent, "The encoder took too long and was stopped." },
        { 5, 2, 0, silent, "The encoder could not be started: No such file or directory." },
        { 3, 24, 0, silent, "The encoder could not be started: Too many open files." },
        { 7, 5, 0, silent, "The encoder's run broke off: Input/output error." },
    };
    for (const auto& c : cases) {
        const TRunOutcome outcome = TRunOutcome::OfRun(c.Status, c.ExitCode, c.Signal, c.Report);
        EXPECT_EQ(outcome.Succeeded(), *c.Reason == '\0') << c.Status << "/" << c.ExitCode;
        EXPECT_EQ(outcome.Reason(), c.Reason) << c.Status << "/" << c.ExitCode;
    }
}

TEST(RunOutcome, ReasonsStayBoundedAndANoteOnTheOutputKeepsItsPlace)
{
    const std::string longWords(5000, 'x');
    EXPECT_EQ(TRunOutcome::Failure(longWords).Reason().size(), TRunOutcome::MaxReason);

    TRunOutcome outcome = TRunOutcome::Failure(longWords);
    outcome.OutputNotRemoved("/out/" + std::string(1000, 'y') + ".mp4", "Permission denied");
    EXPECT_LE(outcome.Reason().size(), TRunOutcome::MaxReason);
    EXPECT_TRUE(outcome.Reason().starts_with("xxx"));
    EXPECT_NE(outcome.Reason().find(" The unfinished output file /out/yyy"), std::string::npos);

    TRunOutcome stopped = TRunOutcome::StoppedByYou();
    stopped.OutputNotRemoved("/out/a.mp4", "Read-only file system");
    EXPECT_EQ(stopped.Reason(),
        "Stopped by you. The unfinished output file /out/a.mp4 could not be removed: Read-only file system.");
}

TEST(ConversionRun, AFailedRunRemovesOnlyTheOutputItMade)
{
    QTemporaryDir folder;
    auto make = [&](const QString& name) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("bytes");
        return folder.filePath(name).toStdString();
    };
    TConversionRun run;

    run.Begin(make("failed.mp4"));
    EXPECT_FALSE(run.End(TRunOutcome::StoppedByYou()).Succeeded());
    EXPECT_FALSE(QFile::exists(folder.filePath("failed.mp4")));

    run.Begin(make("done.mp4"));
    EXPECT_TRUE(run.End(TRunOutcome::Success()).Succeeded());
    EXPECT_TRUE(QFile::exists(folder.filePath("done.mp4")));

    // The encoder found the name taken and left the file alone: it is someone else's.
    run.Begin(make("theirs.mp4"));
    run.TakeLine("File '" + folder.filePath("theirs.mp4").toStdString() + "' already exists. Exiting.");
    EXPECT_EQ(run.End(TRunOutcome::OfRun(8, 1, 0, run.Report())).Reason(),
        "File '" + folder.filePath("theirs.mp4").toStdString() + "' already exists. Exiting.");
    EXPECT_TRUE(QFile::exists(folder.filePath("theirs.mp4")));

    // Nothing made, or a folder of that name: nothing to remove and nothing to report.
    QDir(folder.path()).mkdir("folder.mp4");
    for (const char* name : { "never.mp4", "folder.mp4" }) {
        run.Begin(folder.filePath(name).toStdString());
        EXPECT_EQ(run.End(TRunOutcome::StoppedByYou()).Reason(), "Stopped by you.") << name;
    }
    EXPECT_TRUE(QDir(folder.filePath("folder.mp4")).exists());

    // A file that cannot be removed stays, and the reason says so.
    run.Begin("/proc/version");
    EXPECT_TRUE(run.End(TRunOutcome::StoppedByYou())
                    .Reason()
                    .starts_with("Stopped by you. The unfinished output file /proc/version could not be removed: "));

    // Ended once: a second end touches nothing.
    run.Begin(make("once.mp4"));
    run.End(TRunOutcome::Success());
    EXPECT_EQ(run.End(TRunOutcome::StoppedByYou()).Reason(), "Stopped by you.");
    EXPECT_TRUE(QFile::exists(folder.filePath("once.mp4")));
}

TEST(ConversionRun, ProgressTellsThePercentAndTheTimeLeftOnceTheEncoderSaysHowFarItIs)
{
    TConversionRun run;
    run.Begin("/nowhere/out.mp4");
    EXPECT_EQ(run.ProgressText(), "00:00:00 elapsed");
    run.TakeLine("  Duration: 00:02:00.00, start: 0.000000, bitrate: 45 kb/s");
    EXPECT_EQ(run.ProgressText(), "00:00:00 elapsed");
    run.TakeLine("frame=  300 fps=0.0 q=2.8 size=  7kB time=00:00:30.00 bitrate= 585.8kbits/s speed= 12x");
    EXPECT_TRUE(QRegularExpression("^25 %, about \\d\\d:\\d\\d:\\d\\d left$")
                    .match(QString::fromStdString(run.ProgressText()))
                    .hasMatch())
        << run.ProgressText();
}

} // namespace
