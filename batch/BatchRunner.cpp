#include "batch/BatchRunner.h"

#include "engine/RowPublisher.h"
#include "engine/commandManager.h"

#include <algorithm>

TBatchRunner::TBatchRunner(std::unique_ptr<TRowSource> rows, int jobs, const TSettings& settings)
    : m_settings(settings)
    , m_jobs(std::max(jobs, 1))
    , m_rows(std::move(rows))
{
}

TBatchRunner::~TBatchRunner()
{
    m_pool.reset();
}

bool TBatchRunner::Start()
{
    Fill(ReadAhead);
    if (!m_rows->Error().empty())
        return false;
    // Rows that failed before the batch (a format the catalogue lacks) are told first.
    for (const TBatchRow& row : m_failed)
        if (OnRowEnded)
            OnRowEnded(row);
    const bool pieces = m_settings.Conversion.Split > 1 || m_settings.Conversion.Split == SplitAuto;
    // Rows cut into pieces take more encoders than there are rows; a short list needs no more than its rows.
    const int encoders = pieces || !m_rows->Ended() ? m_jobs
                                                 : std::min<int>(m_jobs, std::max<int>(int(m_ahead.size()), 1));
    m_pool = std::make_unique<TConversionPool>(encoders, m_settings.Conversion);
    m_slotRows.resize(m_pool->Slots());
    m_pool->TakeNext = [this](std::size_t slot, TRowRequest& request) { return TakeNext(slot, request); };
    m_pool->RowsWaiting = [this] { return m_ahead.size(); };
    m_pool->MoreMayCome = [this] { return !m_rows->Ended(); };
    m_pool->OnStarted = [this](std::size_t slot) {
        TBatchRow& row = *m_slotRows[slot];
        row.Output = m_pool->Slot(slot).Output();
        Move(row, TRowState::Converting);
        if (OnRowStarted)
            OnRowStarted(row);
    };
    m_pool->OnEnded = [this](std::size_t slot) {
        const std::unique_ptr<TBatchRow> row = std::move(m_slotRows[slot]);
        TRowSnapshot snapshot = m_pool->Slot(slot).Snapshot();
        row->Output = std::move(snapshot.Output);
        row->Reason = std::move(snapshot.Reason);
        row->Notes = std::move(snapshot.Notes);
        Move(*row, snapshot.State == TRowSnapshot::TState::Done ? TRowState::Done : TRowState::Failed);
        Ended(*row);
    };
    m_pool->OnFinished = [this] {
        CountUnread();
        if (OnFinished)
            OnFinished();
    };
    m_pool->Start();
    return true;
}

void TBatchRunner::Stop(const TRunOutcome& why)
{
    if (m_pool)
        m_pool->Stop(why);
}

void TBatchRunner::RowsReady()
{
    if (m_pool)
        m_pool->RowsAdded();
}

std::vector<TRunningRow> TBatchRunner::Running() const
{
    std::vector<TRunningRow> running;
    for (std::size_t slot = 0; slot < m_slotRows.size(); ++slot)
        if (m_slotRows[slot] && m_pool->Slot(slot).Started())
            running.push_back({ m_slotRows[slot].get(), &m_pool->Slot(slot) });
    return running;
}

// Reads rows from the source until rows wait ahead or none is ready: the shard's rows join with the batch's
// choices; a row whose format the catalogue lacks fails at once, so that a batch never runs half way into a fault
// the list held from the start.
void TBatchRunner::Fill(std::size_t rows)
{
    while (m_ahead.size() < rows) {
        std::optional<TBatchRow> row = m_rows->Next();
        if (!row)
            return;
        if (m_read++ % m_settings.ShardCount != m_settings.ShardIndex - 1)
            continue;
        ++m_total;
        row->Choices = row->Choices.Or(m_settings.Choices);
        const std::size_t formats = m_settings.Conversion.Catalogue ? m_settings.Conversion.Catalogue->Formats().size() : 0;
        if (row->FormatIndex < 0 || static_cast<std::size_t>(row->FormatIndex) >= formats) {
            row->State = TRowState::Failed;
            row->Reason = "Format " + std::to_string(row->FormatIndex) + " is not in the catalogue.";
            ++m_counts[static_cast<std::size_t>(TRowState::Failed)];
            m_failed.push_back(*row);
            if (m_pool && OnRowEnded)
                OnRowEnded(*row);
            continue;
        }
        ++m_counts[static_cast<std::size_t>(TRowState::Waiting)];
        m_ahead.push_back(std::move(*row));
    }
}

void TBatchRunner::CountUnread()
{
    m_ahead.clear();
    for (std::optional<TBatchRow> row = m_rows->Next(); row; row = m_rows->Next())
        if (m_read++ % m_settings.ShardCount == m_settings.ShardIndex - 1) {
            ++m_total;
            ++m_counts[static_cast<std::size_t>(TRowState::Waiting)];
        }
}

void TBatchRunner::Move(TBatchRow& row, TRowState to)
{
    --m_counts[static_cast<std::size_t>(row.State)];
    row.State = to;
    ++m_counts[static_cast<std::size_t>(to)];
}

void TBatchRunner::Ended(TBatchRow& row)
{
    if (row.State == TRowState::Failed)
        m_failed.push_back(row);
    if (OnRowEnded)
        OnRowEnded(row);
}

// The next row to convert; rows already done are passed over here, told as skipped.
bool TBatchRunner::TakeNext(std::size_t slot, TRowRequest& request)
{
    for (Fill(ReadAhead); !m_ahead.empty(); Fill(ReadAhead)) {
        TBatchRow row = std::move(m_ahead.front());
        m_ahead.pop_front();
        if (Skips(row)) {
            Move(row, TRowState::Skipped);
            Ended(row);
            continue;
        }
        m_slotRows[slot] = std::make_unique<TBatchRow>(std::move(row));
        const TBatchRow& taken = *m_slotRows[slot];
        request = TRowRequest { taken.FileName, taken.FormatIndex, taken.Path, taken.Choices };
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
