#pragma once

#include "batch/RowSource.h"

#include <cstddef>
#include <vector>

// Rows known from the start, such as the files named on the command line.
class TRowList : public TRowSource
{
public:
    explicit TRowList(std::vector<TBatchRow> rows)
        : m_rows(std::move(rows))
    {
    }

    std::optional<TBatchRow> Next() override
    {
        if (m_next == m_rows.size())
            return std::nullopt;
        return std::move(m_rows[m_next++]);
    }
    bool Ended() const override { return m_next == m_rows.size(); }

private:
    std::vector<TBatchRow> m_rows;
    std::size_t m_next = 0;
};
