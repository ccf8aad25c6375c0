#pragma once

#include <cstdint>
#include <string>

class TDosCommand;
class TEncoderReport;

// What one finished encoder run means: success, or why not, in words for the person who asked for it.
struct TRunOutcome {
    bool Success = false;
    std::string Reason; // empty on success
};

// The outcome of the runner's latest run, which ended with exitCode (as OnTerminated reports it) after the
// encoder said what report holds: success on 0; otherwise the encoder could not be started, was stopped, was
// killed by a signal, or ended with an error, given in its own last words when it left any.
TRunOutcome RunOutcome(const TDosCommand& runner, uint32_t exitCode, const TEncoderReport& report);
