#pragma once

#include "batch/BatchRow.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include <QString>

// Rows waiting in a queue, kept as a few dozen bytes each beside their names' bytes: a list of a million rows
// waits in a fraction of the memory its rows would take as they are converted. Rows leave in the order they came,
// and the memory of those that left goes back in blocks.
class TPackedRows
{
public:
    void Push(const TBatchRow& row);
    // The oldest row; none when the queue is empty.
    std::optional<TBatchRow> Pop();
    bool Empty() const { return m_blocks.empty() || (m_blocks.size() == 1 && m_read == m_blocks.front().size()); }

private:
    std::deque<std::string> m_blocks;
    std::size_t m_read = 0; // in the front block
    // The previous row's folder: a list's rows mostly share one, which is then kept once.
    QString m_lastPath;
    QString m_poppedPath;
};
