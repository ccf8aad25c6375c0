#include "batch/BatchRunner.h"

#include <algorithm>

TBatchRunner::TBatchRunner(
    std::vector<TBatchRow> rows, int jobs, TCommandManager& catalogue, const TEncoderSlot::TSettings& settings)
    : m_rows(std::move(rows))
{
    for (const TBatchRow& row : m_rows)
        ++m_counts[static_cast<std::size_t>(row.State)];
    const std::size_t count = std::min<std::size_t>(std::max(jobs, 1), m_rows.size());
    for (std::size_t i = 0; i < count; ++i) {
        m_slots.push_back(std::make_unique<TEncoderSlot>(catalogue, settings));
        m_slots.back()->OnEnded = [this](TEncoderSlot&, TBatchRow& row) {
            Moved(row, TRowState::Converting);
            if (OnRowEnded)
                OnRowEnded(row);
            Fill();
        };
    }
}

TBatchRunner::~TBatchRunner()
{
    // The slots' handlers refer to this runner; they must not run while it goes.
    for (const std::unique_ptr<TEncoderSlot>& slot : m_slots)
        slot->OnEnded = nullptr;
    m_slots.clear();
}

void TBatchRunner::Start()
{
    for (const TBatchRow& row : m_rows)
        if (row.State != TRowState::Waiting && OnRowEnded)
            OnRowEnded(row);
    Fill();
}

void TBatchRunner::Stop(const TRunOutcome& why)
{
    if (m_stopping || m_finished)
        return;
    m_stopping = true;
    for (const std::unique_ptr<TEncoderSlot>& slot : m_slots)
        slot->Stop(why);
    CheckFinished();
}

std::vector<const TEncoderSlot*> TBatchRunner::Running() const
{
    std::vector<const TEncoderSlot*> running;
    for (const std::unique_ptr<TEncoderSlot>& slot : m_slots)
        if (slot->Row())
            running.push_back(slot.get());
    return running;
}

void TBatchRunner::Moved(const TBatchRow& row, TRowState from)
{
    --m_counts[static_cast<std::size_t>(from)];
    ++m_counts[static_cast<std::size_t>(row.State)];
}

// Gives every idle encoder the next row; rows that end at once (skipped, or failed before their encoder could
// start) are passed over in a loop, so thousands of them in a row cost no stack.
void TBatchRunner::Fill()
{
    for (const std::unique_ptr<TEncoderSlot>& slot : m_slots) {
        while (!m_stopping && !slot->Row() && m_next < m_rows.size()) {
            TBatchRow& row = m_rows[m_next++];
            if (row.State != TRowState::Waiting)
                continue;
            const bool started = slot->Start(row);
            Moved(row, TRowState::Waiting);
            if (started) {
                if (OnRowStarted)
                    OnRowStarted(row);
            } else if (OnRowEnded) {
                OnRowEnded(row);
            }
        }
    }
    CheckFinished();
}

void TBatchRunner::CheckFinished()
{
    if (m_finished || !Running().empty() || (!m_stopping && m_next < m_rows.size()))
        return;
    m_finished = true;
    if (OnFinished)
        OnFinished();
}
