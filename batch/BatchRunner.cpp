#include "batch/BatchRunner.h"

#include <algorithm>

TBatchRunner::TBatchRunner(std::vector<TBatchRow> rows, int jobs, const TSettings& settings)
    : m_settings(settings)
    , m_rows(std::move(rows))
    , m_pool(std::make_unique<TConversionPool>(
          // Rows cut into pieces take more encoders than there are rows.
          settings.Conversion.Split > 1 || settings.Conversion.Split == SplitAuto
              ? std::max(jobs, 1)
              : static_cast<int>(std::min<std::size_t>(std::max(jobs, 1), std::max<std::size_t>(m_rows.size(), 1))),
          settings.Conversion))
{
    for (const TBatchRow& row : m_rows)
        ++m_counts[static_cast<std::size_t>(row.State)];
    m_slotRows.assign(m_pool->Slots(), nullptr);
    m_pool->TakeNext = [this](std::size_t slot, TRowRequest& request) { return TakeNext(slot, request); };
    m_pool->RowsWaiting = [this] {
        return static_cast<std::size_t>(std::count_if(m_rows.begin() + static_cast<std::ptrdiff_t>(m_next),
            m_rows.end(), [](const TBatchRow& row) { return row.State == TRowState::Waiting; }));
    };
    m_pool->OnStarted = [this](std::size_t slot) {
        TBatchRow& row = *m_slotRows[slot];
        row.Output = m_pool->Slot(slot).Output();
        Move(row, TRowState::Converting);
        if (OnRowStarted)
            OnRowStarted(row);
    };
    m_pool->OnEnded = [this](std::size_t slot) {
        TBatchRow& row = *m_slotRows[slot];
        m_slotRows[slot] = nullptr;
        const TRowConversion& conversion = m_pool->Slot(slot);
        row.Output = conversion.Output();
        row.Reason = conversion.Outcome().Reason();
        row.Notes = conversion.Notes();
        Move(row, conversion.Outcome().Succeeded() ? TRowState::Done : TRowState::Failed);
        if (OnRowEnded)
            OnRowEnded(row);
    };
    m_pool->OnFinished = [this] {
        if (OnFinished)
            OnFinished();
    };
}

void TBatchRunner::Start()
{
    // Rows that failed before the batch (a format the catalogue lacks) are told first.
    for (const TBatchRow& row : m_rows)
        if (row.State != TRowState::Waiting && OnRowEnded)
            OnRowEnded(row);
    m_pool->Start();
}

void TBatchRunner::Stop(const TRunOutcome& why)
{
    m_pool->Stop(why);
}

std::vector<TRunningRow> TBatchRunner::Running() const
{
    std::vector<TRunningRow> running;
    for (std::size_t slot = 0; slot < m_slotRows.size(); ++slot)
        if (m_slotRows[slot] && m_pool->Slot(slot).Started())
            running.push_back({ m_slotRows[slot], &m_pool->Slot(slot) });
    return running;
}

void TBatchRunner::Move(TBatchRow& row, TRowState to)
{
    --m_counts[static_cast<std::size_t>(row.State)];
    row.State = to;
    ++m_counts[static_cast<std::size_t>(to)];
}

// The next row to convert; rows already done are passed over here, told as skipped, and rows that failed before
// the batch were told at its start.
bool TBatchRunner::TakeNext(std::size_t slot, TRowRequest& request)
{
    while (m_next < m_rows.size()) {
        TBatchRow& row = m_rows[m_next++];
        if (row.State != TRowState::Waiting)
            continue;
        if (Skips(row)) {
            Move(row, TRowState::Skipped);
            if (OnRowEnded)
                OnRowEnded(row);
            continue;
        }
        m_slotRows[slot] = &row;
        request = TRowRequest { row.FileName, row.FormatIndex, row.Path, row.Choices };
        return true;
    }
    return false;
}

bool TBatchRunner::Skips(TBatchRow& row) const
{
    if (!m_settings.SkipDone)
        return false;
    try {
        TEncoderTask task = EncoderTaskFor(row.FileName, row.FormatIndex, row.Path, m_settings.Conversion.Catalogue,
            m_settings.Conversion.ProgramFolder);
        task.Choices = row.Choices;
        const std::optional<std::string> finished = FinishedOutput(task, row.FormatIndex);
        if (finished)
            row.Output = *finished;
        return finished.has_value();
    } catch (const std::exception&) {
        // The conversion tells why such a row cannot be done.
        return false;
    }
}
