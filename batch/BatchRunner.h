#pragma once

#include "batch/BatchRow.h"
#include "batch/RowSource.h"
#include "engine/ConversionPool.h"

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A row being converted, as the display shows it.
struct TRunningRow {
    const TBatchRow* Row;
    const TRowConversion* Run;
};

// Converts the rows of a batch in the order its source gives them, with up to a given number of encoders at once.
// Holds only the rows it reads ahead, the running ones and the failed ones, so a list of any length costs little.
// Runs on the main thread; its events come from the event loop.
class TBatchRunner
{
public:
    struct TSettings {
        TConversionSettings Conversion;
        bool SkipDone = false; // a row whose wanted output is finished is not converted again
        TEncoderChoices Choices; // each row's choices that are as the format says take these
        int ShardIndex = 1; // the rows ShardIndex, ShardIndex + ShardCount, ... counted from 1
        int ShardCount = 1;
    };

    // jobs: encoders at once, at least 1 (never more than there are rows, unless rows are cut into pieces).
    TBatchRunner(std::unique_ptr<TRowSource> rows, int jobs, const TSettings& settings);
    // Kills what still runs and removes what it made.
    ~TBatchRunner();
    TBatchRunner(const TBatchRunner&) = delete;
    TBatchRunner& operator=(const TBatchRunner&) = delete;

    // Reads the first rows, reports those that end before any encoder (a format the catalogue lacks: Failed),
    // then starts as many rows as there are encoders; OnFinished may come before this returns. False, starting
    // nothing, when the source failed among its first rows: SourceError says why.
    bool Start();
    // Starts no further row and kills every running encoder: their rows end Failed with the outcome why and
    // what they made is removed. OnFinished follows when the last encoder is gone (at once when none runs).
    void Stop(const TRunOutcome& why);
    // The source has rows again: idle encoders take them now.
    void RowsReady();

    bool Finished() const { return m_pool && m_pool->Finished(); }
    // The rows of the batch so far: those read from the source (after a stop, every row it still had).
    int Total() const { return m_total; }
    // The rows that ended Failed, in the order they ended.
    const std::vector<TBatchRow>& FailedRows() const { return m_failed; }
    // Why the source ended before its last row; empty when it read to its end.
    std::string SourceError() const { return m_rows->Error(); }
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
    // Rows read ahead of the encoders: split auto leaves them encoders, and the first ones show a faulty list
    // before anything runs.
    static constexpr std::size_t ReadAhead = 1024;

    void Fill(std::size_t rows);
    // Counts what the source still has as rows never started.
    void CountUnread();
    bool TakeNext(std::size_t slot, TRowRequest& request);
    bool Skips(TBatchRow& row) const;
    void Ended(TBatchRow& row);
    // Puts the row into its state now and counts it as having left its state before.
    void Move(TBatchRow& row, TRowState to);

    const TSettings m_settings;
    const int m_jobs;
    std::unique_ptr<TRowSource> m_rows;
    std::deque<TBatchRow> m_ahead;
    int m_read = 0; // rows the source gave, in the shard or not
    int m_total = 0;
    std::vector<TBatchRow> m_failed;
    // Rows per state, kept as they change: the display asks for them on every event, whatever the list's length.
    std::array<int, RowStateCount> m_counts {};
    // The row each encoder converts; the pointer stays while the row runs.
    std::vector<std::unique_ptr<TBatchRow>> m_slotRows;
    // Last, so that it goes first: no event of a run reaches the members above once it is gone.
    std::unique_ptr<TConversionPool> m_pool;
};
