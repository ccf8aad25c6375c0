#include "batch/EncoderSlot.h"

#include "engine/DosCommand.h"
#include "engine/EncoderTask.h"
#include "engine/OutputReservation.h"

TEncoderSlot::TEncoderSlot(TCommandManager& catalogue, TSettings settings)
    : m_catalogue(catalogue), m_settings(std::move(settings)), m_runner(std::make_unique<TDosCommand>())
{
    m_runner->OnNewLine = [this](TDosCommand*, const std::string& line, TOutputType type) {
        if (type == otEntireLine)
            m_run.TakeLine(line);
    };
    m_runner->OnTerminated = [this](TDosCommand*, uint32_t exitCode) { Ended(exitCode); };
}

TEncoderSlot::~TEncoderSlot()
{
    // The runner kills the encoder and waits for its reader before the output is removed.
    m_runner.reset();
    m_run.Abandon();
}

bool TEncoderSlot::Start(TBatchRow& row)
{
    m_stopped.reset();
    try {
        const TEncoderTask task =
            EncoderTaskFor(row.FileName, row.FormatIndex, row.Path, &m_catalogue, m_settings.ProgramFolder);
        if (m_settings.SkipDone && OutputDone(task.WantedOutput())) {
            row.State = TRowState::Skipped;
            row.Output = task.WantedOutput();
            return false;
        }
        m_reservation = std::make_unique<TOutputReservation>(task.WantedOutput());
        row.Output = m_reservation->Output();
        m_runner->SetCommandLine(EncoderCommandLine(m_settings.Encoder, task.Source, task.Params, row.Output));
    } catch (const ETaskRefused& refused) {
        row.State = TRowState::Failed;
        row.Reason = refused.Outcome().Reason();
        return false;
    } catch (const std::exception& error) {
        row.State = TRowState::Failed;
        row.Reason = TRunOutcome::Failure(error.what()).Reason();
        return false;
    }
    row.State = TRowState::Converting;
    m_row = &row;
    m_run.Begin(row.Output);
    m_runner->Start();
    return true;
}

void TEncoderSlot::Stop(const TRunOutcome& why)
{
    if (!m_row)
        return;
    m_stopped = why;
    m_runner->Stop();
}

void TEncoderSlot::Ended(uint32_t exitCode)
{
    if (!m_row)
        return;
    TBatchRow& row = *m_row;
    TRunOutcome outcome = TRunOutcome::OfRun(m_runner->Status(), exitCode, m_runner->ExitSignal(), m_run.Report());
    if (!outcome.Succeeded() && m_stopped)
        outcome = *m_stopped;
    // The failed run's output goes before its name is given up.
    outcome = m_run.End(outcome);
    m_reservation.reset();
    row.State = outcome.Succeeded() ? TRowState::Done : TRowState::Failed;
    row.Reason = outcome.Reason();
    m_row = nullptr;
    if (OnEnded)
        OnEnded(*this, row);
}
