#pragma once

#include "batch/BatchRow.h"
#include "batch/EncoderSlot.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCommandManager;

// Converts the rows of a batch in list order with up to a given number of encoders at once. Runs on the main
// thread; its events come from the event loop.
class TBatchRunner {
public:
    // jobs: encoders at once, at least 1 (never more than there are rows).
    TBatchRunner(
        std::vector<TBatchRow> rows, int jobs, TCommandManager& catalogue, const TEncoderSlot::TSettings& settings);
    // Kills what still runs and removes its partial outputs.
    ~TBatchRunner();
    TBatchRunner(const TBatchRunner&) = delete;
    TBatchRunner& operator=(const TBatchRunner&) = delete;

    // Reports the rows that ended before any encoder (given Failed), then starts as many rows as there are
    // encoders; OnFinished may come before this returns (nothing to convert).
    void Start();
    // Starts no further row and kills every running encoder: their rows end Failed with the outcome why and
    // their partial outputs are removed. OnFinished follows when the last encoder is gone (at once when none
    // runs).
    void Stop(const TRunOutcome& why);

    bool Finished() const { return m_finished; }
    const std::vector<TBatchRow>& Rows() const { return m_rows; }
    // The encoders converting a row right now, in the order of their slots.
    std::vector<const TEncoderSlot*> Running() const;
    // How many rows are in the state now.
    int Count(TRowState state) const { return m_counts[static_cast<std::size_t>(state)]; }

    // A row's encoder has started.
    std::function<void(const TBatchRow& row)> OnRowStarted;
    // A row has ended Done, Failed or Skipped.
    std::function<void(const TBatchRow& row)> OnRowEnded;
    // Once: every row has ended, or a stop has ended every encoder.
    std::function<void()> OnFinished;

private:
    void Fill();
    void CheckFinished();
    // Counts the row as having left Waiting or Converting for its state now.
    void Moved(const TBatchRow& row, TRowState from);

    std::vector<TBatchRow> m_rows; // never resized: slots point into it
    // Rows per state, kept as they change: the display asks for them on every event, whatever the list's length.
    std::array<int, RowStateCount> m_counts {};
    std::size_t m_next = 0;
    bool m_stopping = false;
    bool m_finished = false;
    std::vector<std::unique_ptr<TEncoderSlot>> m_slots;
};
