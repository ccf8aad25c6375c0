#include "engine/RunOutcome.h"

#include "engine/DosCommand.h"
#include "engine/EncoderReport.h"
#include "platform/FileSystem.h"

namespace {
// The runner's Status for a run whose pipes or child could not be made.
constexpr int PipeFailed = 3;
constexpr int ProcessFailed = 5;
// The runner reports death by signal n as 128 + n; signal numbers end at 64.
constexpr uint32_t FirstSignalCode = 129;
constexpr uint32_t LastSignalCode = 128 + 64;
} // namespace

TRunOutcome RunOutcome(const TDosCommand& runner, uint32_t exitCode, const TEncoderReport& report)
{
    if (runner.Status() == PipeFailed || runner.Status() == ProcessFailed)
        return { false, "the encoder could not be started: " + platform::SystemErrorMessage(int(runner.ExitCode())) };
    if (exitCode == 0)
        return { true, {} };
    if (exitCode == StillActive)
        return { false, "stopped by you" };
    if (exitCode >= FirstSignalCode && exitCode <= LastSignalCode)
        return { false, "the encoder was killed by signal " + std::to_string(exitCode - 128) };
    std::string words = report.LastWords();
    if (!words.empty())
        return { false, words };
    return { false, "the encoder ended with exit code " + std::to_string(exitCode) };
}
