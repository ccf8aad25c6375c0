// What an ended encoder run means for its file, and what a failed run leaves behind.
#include "engine/row/RunOutcome.h"

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
    // A full disk near the end: the encoder still ends with 0.
    const TEncoderReport trailer = Saying({ "[mp4 @ 0x5581] Error writing trailer of out.mp4: No space left on device",
        "[aac @ 0x5582] Qavg: 129.349" });
    const TEncoderReport header = Saying({ "[mp4 @ 0x5581] Could not write header for output file #0: No space left on device",
        "[aac @ 0x5582] Qavg: 129.349", "[aac @ 0x5582] 2 frames left in the queue on closing" });
    const TEncoderReport closing = Saying({ "Error closing file out.avi: Input/output error" });
    const TEncoderReport noSound = Saying({ "Stream map '0:a:0' matches no streams.",
        "To ignore this, add a trailing '?' to the map." });
    const TEncoderReport moov = Saying({ "[mov,mp4,m4a,3gp,3g2,mj2 @ 0x1] moov atom not found",
        "in.mp4: Invalid data found when processing input" });
    const struct {
        int Status;
        uint32_t ExitCode;
        int Signal;
        const TEncoderReport& Report;
        const char* Reason; // empty for a success
    } cases[] = {
        { 8, 0, 0, invalid, "" },
        { 8, 1, 0, invalid, "The file is damaged or is not a video: a.avi: Invalid data found when processing input" },
        { 8, 1, 0, silent, "The encoder ended with exit code 1." },
        { 8, 137, 9, invalid, "The encoder was killed by signal 9." },
        { 8, 137, 0, silent, "The encoder ended with exit code 137." },
        { 9, 259, 0, invalid, "Stopped by you." },
        { 10, 259, 0, silent, "The encoder took too long and was stopped." },
        { 5, 2, 0, silent, "The encoder could not be started: No such file or directory." },
        { 3, 24, 0, silent, "The encoder could not be started: Too many open files." },
        { 7, 5, 0, silent, "The encoder's run broke off: Input/output error." },
        { 8, 0, 0, trailer, "The disk is full (No space left on device)." },
        { 8, 1, 0, header, "The disk is full (No space left on device)." },
        { 8, 0, 0, closing, "The output could not be written completely: Error closing file out.avi: Input/output error" },
        { 8, 1, 0, noSound, "The source has no sound track; the audio formats need one." },
        { 8, 1, 0, moov, "The file is damaged or is not a video: [mov,mp4,m4a,3gp,3g2,mj2] moov atom not found; in.mp4: "
                          "Invalid data found when processing input" },
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
    EXPECT_NE(outcome.Reason().find(" What the run left in /out/yyy"), std::string::npos);

    TRunOutcome stopped = TRunOutcome::StoppedByYou();
    stopped.OutputNotRemoved("/out/a.mp4", "Read-only file system");
    EXPECT_EQ(stopped.Reason(),
        "Stopped by you. What the run left in /out/a.mp4 could not be removed: Read-only file system.");
}

} // namespace
