#include "engine/row/RunOutcome.h"

#include "engine/DosCommand.h"
#include "platform/FileSystem.h"

TRunOutcome::TRunOutcome(bool succeeded, const std::string& reason)
    : m_succeeded(succeeded)
    , m_reason(BoundedText(reason, MaxReason))
{
}

TRunOutcome TRunOutcome::Success()
{
    return TRunOutcome(true, std::string());
}

TRunOutcome TRunOutcome::Failure(const std::string& reason)
{
    return TRunOutcome(false, reason);
}

TRunOutcome TRunOutcome::StoppedByYou()
{
    TRunOutcome stopped = Failure("Stopped by you.");
    stopped.m_stopped = true;
    return stopped;
}

TRunOutcome TRunOutcome::NotInCatalogue()
{
    return Failure("The format is not in the catalogue.");
}

TRunOutcome TRunOutcome::SourceMissing()
{
    return Failure("The source file does not exist.");
}

TRunOutcome TRunOutcome::SourceIsFolder()
{
    return Failure("The source is a folder, not a file.");
}

TRunOutcome TRunOutcome::Unreadable(const std::string& why)
{
    return Failure("The file is damaged or is not a video: " + why);
}

namespace
{

// The encoder's words with a sentence before them that says what they mean, for the causes met most.
std::string Explained(const std::string& words)
{
    const auto says = [&](const char* text) { return words.find(text) != std::string::npos; };
    if (says("No space left on device") || says("Disk quota exceeded"))
        return "The disk is full (" + std::string(says("quota") ? "Disk quota exceeded" : "No space left on device")
            + ").";
    if (says("Stream map '0:a") && says("matches no streams"))
        return "The source has no sound track; the audio formats need one.";
    if (says("Stream map '0:v") && says("matches no streams"))
        return "The source has no picture; this format needs one.";
    if (says("moov atom not found") || says("Invalid data found when processing input"))
        return "The file is damaged or is not a video: " + words;
    return words;
}

} // namespace

TRunOutcome TRunOutcome::OfRun(int status, uint32_t exitCode, int signal, const TEncoderReport& report)
{
    if (exitCode == 0 && report.WriteFailed())
        return Failure(report.DiskFull() ? Explained(report.Cause())
                                         : "The output could not be written completely: " + report.LastWords());
    if (exitCode == 0)
        return Success();
    // A run without a child reports the system's error code in place of an exit code.
    const std::string systemError = platform::SystemErrorMessage(static_cast<int>(exitCode));
    switch (status) {
    case rsStopped:
        return StoppedByYou();
    case rsTimedOut:
        return Failure("The encoder took too long and was stopped.");
    case rsPreparingFailed:
    case rsPipesFailed:
    case rsProcessFailed:
        return Failure("The encoder could not be started: " + systemError + ".");
    case rsRunningFailed:
        return Failure("The encoder's run broke off: " + systemError + ".");
    default:
        break;
    }
    if (signal > 0)
        return Failure("The encoder was killed by signal " + std::to_string(signal) + ".");
    const std::string words = report.LastWords();
    if (!words.empty())
        return Failure(Explained(words));
    return Failure("The encoder ended with exit code " + std::to_string(exitCode) + ".");
}

void TRunOutcome::OutputNotRemoved(const std::string& path, const std::string& why)
{
    // Both halves stay readable however long the path or the first reason is.
    const std::string note
        = BoundedText("What the run left in " + path + " could not be removed: " + why + ".", MaxReason / 2);
    m_reason = BoundedText(m_reason, MaxReason - note.size() - 1) + " " + note;
}
