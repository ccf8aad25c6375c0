#pragma once

#include "batch/BatchRow.h"
#include "engine/ConversionPool.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A row being converted, as the display shows it.
struct TRunningRow {
    const TBatchRow* Row;
    const TRowConversion* Run;
};

// Converts the rows of a batch in list order with up to a given number of encoders at once. Runs on the main
// thread; its events come from the event loop.
class TBatchRunner
{
public:
    struct TSettings {
        TConversionSettings Conversion;
        bool SkipDone = false; // a row whose wanted output is finished is not converted again
    };

    // jobs: encoders at once, at least 1 (never more than there are rows, unless rows are cut into pieces).
    TBatchRunner(std::vector<TBatchRow> rows, int jobs, const TSettings& settings);
    // Kills what still runs and removes what it made.
    ~TBatchRunner() = default;
    TBatchRunner(const TBatchRunner&) = delete;
    TBatchRunner& operator=(const TBatchRunner&) = delete;

    // Reports the rows that ended before any encoder (given Failed), then starts as many rows as there are
    // encoders; OnFinished may come before this returns (nothing to convert).
    void Start();
    // Starts no further row and kills every running encoder: their rows end Failed with the outcome why and
    // what they made is removed. OnFinished follows when the last encoder is gone (at once when none runs).
    void Stop(const TRunOutcome& why);

    bool Finished() const { return m_pool->Finished(); }
    const std::vector<TBatchRow>& Rows() const { return m_rows; }
    // The rows being converted right now, in the order of their encoders.
    std::vector<TRunningRow> Running() const;
    // How many rows are in the state now.
    int Count(TRowState state) const { return m_counts[static_cast<std::size_t>(state)]; }

    // A row's encoder has started.
    std::function<void(const TBatchRow& row)> OnRowStarted;
    // A row has ended Done, Failed or Skipped.
    std::function<void(const TBatchRow& row)> OnRowEnded;
    // Once: every row has ended, or a stop has ended every encoder.
    std::function<void()> OnFinished;

private:
    bool TakeNext(std::size_t slot, TRowRequest& request);
    bool Skips(TBatchRow& row) const;
    // Puts the row into its state now and counts it as having left its state before.
    void Move(TBatchRow& row, TRowState to);

    const TSettings m_settings;
    std::vector<TBatchRow> m_rows; // never resized: slots point into it
    // Rows per state, kept as they change: the display asks for them on every event, whatever the list's length.
    std::array<int, RowStateCount> m_counts {};
    std::size_t m_next = 0;
    std::vector<TBatchRow*> m_slotRows;
    // Last, so that it goes first: no event of a run reaches the members above once it is gone.
    std::unique_ptr<TConversionPool> m_pool;
};
