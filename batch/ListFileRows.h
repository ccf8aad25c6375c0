#pragma once

#include "batch/PackedRows.h"
#include "batch/RowSource.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// The rows of a list file, read beside the batch as it converts them: the first row is there as soon as it is
// read, and rows wait packed (TPackedRows), so neither the time to the first encoder nor the memory grows with
// the list as a whole does.
class TListFileRows : public TRowSource
{
public:
    // Starts reading the file at path beside the caller; reads it whole here when no thread can be had.
    explicit TListFileRows(std::string path);
    // Stops the reading.
    ~TListFileRows() override;
    TListFileRows(const TListFileRows&) = delete;
    TListFileRows& operator=(const TListFileRows&) = delete;

    // Waits while the next row is being read.
    std::optional<TBatchRow> Next() override;
    bool Ended() const override;
    // The reader's message (Import's words) once it failed.
    std::string Error() const override;

private:
    void Read(const std::string& path);

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    TPackedRows m_rows;
    bool m_read = false; // the reading has ended, at the file's end or at a fault
    std::string m_error;
    std::atomic<bool> m_stop = false;
    std::thread m_reader;
};
