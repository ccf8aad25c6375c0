#pragma once

#include "batch/BatchRow.h"
#include "engine/ConversionRun.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class TCommandManager;
class TDosCommand;
class TOutputReservation;

// One encoder of a batch: converts one row at a time, by the window's naming rule and command line, into a name
// reserved for it, and removes what a failed or stopped run leaves at its output. Runs on the main thread.
class TEncoderSlot {
public:
    struct TSettings {
        std::string Encoder; // the encoder program
        std::string ProgramFolder; // where relative paths and convert/ are
        bool SkipDone = false; // a row whose wanted output is finished is not converted again
    };

    TEncoderSlot(TCommandManager& catalogue, TSettings settings);
    // Kills a running encoder and removes its unfinished output.
    ~TEncoderSlot();
    TEncoderSlot(const TEncoderSlot&) = delete;
    TEncoderSlot& operator=(const TEncoderSlot&) = delete;

    // Starts converting row, which stays Converting until OnEnded. False when the row ended at once: Skipped, or
    // Failed before an encoder could be started (no such format or source, no reservation in its folder).
    bool Start(TBatchRow& row);
    // Kills the encoder; its row ends Failed with the given outcome, unless it had already finished. Nothing when
    // idle.
    void Stop(const TRunOutcome& why);

    // The row being converted; nullptr when idle.
    TBatchRow* Row() const { return m_row; }
    // The running encoder's run: what it has said and how far it is.
    const TConversionRun& Run() const { return m_run; }

    // The row has ended Done or Failed; the slot is idle again and may be started from inside.
    std::function<void(TEncoderSlot& slot, TBatchRow& row)> OnEnded;

private:
    void Ended(uint32_t exitCode);

    TCommandManager& m_catalogue;
    const TSettings m_settings;
    TBatchRow* m_row = nullptr;
    std::optional<TRunOutcome> m_stopped;
    TConversionRun m_run;
    std::unique_ptr<TOutputReservation> m_reservation;
    // Last, so that it goes first: once it is gone no event of a run can reach the members above.
    std::unique_ptr<TDosCommand> m_runner;
};
