#include "batch/EncoderSlot.h"

#include "engine/DosCommand.h"
#include "engine/EncoderTask.h"
#include "engine/OutputReservation.h"
#include "engine/RunOutcome.h"

TEncoderSlot::TEncoderSlot(TCommandManager& catalogue, TSettings settings)
    : m_catalogue(catalogue), m_settings(std::move(settings)), m_runner(std::make_unique<TDosCommand>())
{
    m_runner->OnNewLine = [this](TDosCommand*, const std::string& line, TOutputType type) {
        if (type == otEntireLine)
            m_report.TakeLine(line);
    };
    m_runner->OnTerminated = [this](TDosCommand*, uint32_t exitCode) { Ended(exitCode); };
}

TEncoderSlot::~TEncoderSlot()
{
    // The runner kills the encoder and waits for its reader before the output is removed.
    m_runner.reset();
    if (m_reservation)
        m_reservation->Discard();
}

bool TEncoderSlot::Start(TBatchRow& row)
{
    m_stopReason.clear();
    m_report.Clear();
    try {
        const TEncoderTask task =
            EncoderTaskFor(row.FileName, row.FormatIndex, row.Path, m_catalogue, m_settings.ProgramFolder);
        if (m_settings.SkipDone && OutputDone(task.WantedOutput())) {
            row.State = TRowState::Skipped;
            row.Output = task.WantedOutput();
            return false;
        }
        m_reservation = std::make_unique<TOutputReservation>(task.WantedOutput());
        row.Output = m_reservation->Output();
        m_runner->SetCommandLine(EncoderCommandLine(m_settings.Encoder, task.Source, task.Params, row.Output));
    } catch (const std::exception& error) {
        row.State = TRowState::Failed;
        row.Reason = error.what();
        return false;
    }
    row.State = TRowState::Converting;
    m_row = &row;
    m_clock.start();
    m_runner->Start();
    return true;
}

void TEncoderSlot::Stop(const std::string& reason)
{
    if (!m_row)
        return;
    m_stopReason = reason;
    m_runner->Stop();
}

void TEncoderSlot::Ended(uint32_t exitCode)
{
    if (!m_row)
        return;
    TBatchRow& row = *m_row;
    TRunOutcome outcome = RunOutcome(*m_runner, exitCode, m_report);
    if (outcome.Success) {
        row.State = TRowState::Done;
    } else {
        row.State = TRowState::Failed;
        row.Reason = m_stopReason.empty() ? outcome.Reason : m_stopReason;
        m_reservation->Discard();
    }
    m_reservation.reset();
    m_row = nullptr;
    m_clock.invalidate();
    if (OnEnded)
        OnEnded(*this, row);
}
