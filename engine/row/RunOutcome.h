#pragma once

#include "engine/row/EncoderReport.h"

#include <cstddef>
#include <cstdint>
#include <string>

// What converting one file came to: done, or failed with a reason the user can read. Every reason the program
// gives for a failed file is worded here.
class TRunOutcome
{
public:
    // The most a reason holds, in bytes; a longer one is cut at a character boundary and ends in "...".
    static constexpr std::size_t MaxReason = 400;

    static TRunOutcome Success();
    // Failed for a reason worded elsewhere, such as an error's message.
    static TRunOutcome Failure(const std::string& reason);
    static TRunOutcome StoppedByYou();
    static TRunOutcome NotInCatalogue();
    static TRunOutcome SourceMissing();
    static TRunOutcome SourceIsFolder();
    // A source the demuxer cannot read, with its words for why.
    static TRunOutcome Unreadable(const std::string& why);
    // What an ended encoder run means, from the runner's Status (0..10), the exit code it reported, the signal
    // that killed the child (0 for none) and what the encoder said before it ended. Only exit code 0 can be
    // done, and only when the encoder did not report that writing its output failed; a failure carries the
    // encoder's last words when it gave any, after a plain sentence for the causes users meet most, and the
    // run's own cause otherwise.
    static TRunOutcome OfRun(int status, uint32_t exitCode, int signal, const TEncoderReport& report);

    bool Succeeded() const { return m_succeeded; }
    // A failure the user asked for with Stop, not one of the file's or the encoder's own.
    bool Stopped() const { return m_stopped; }
    // Empty for a success.
    const std::string& Reason() const { return m_reason; }
    // Adds to a failure's reason that what the run left at path stays on disk, and why.
    void OutputNotRemoved(const std::string& path, const std::string& why);

private:
    TRunOutcome(bool succeeded, const std::string& reason);

    bool m_succeeded;
    std::string m_reason;
    bool m_stopped = false;
};
