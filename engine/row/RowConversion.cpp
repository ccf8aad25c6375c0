#include "engine/row/RowConversion.h"

#include "engine/DosCommand.h"
#include "engine/commandManager.h"
#include "engine/row/RowPublisher.h"
#include "engine/split/ClusterStep.h"
#include "engine/split/SplitPlan.h"
#include "engine/split/SplitRun.h"
#include "platform/FileSystem.h"

#include <algorithm>

TRowConversion::TRowConversion(TConversionSettings settings)
    : m_settings(std::move(settings))
    , m_runner(std::make_unique<TDosCommand>())
    , m_worker(std::make_unique<TWorkThread>())
{
    m_runner->OnNewLine = [this](TDosCommand*, const std::string& line, TOutputType type) {
        if (type != otEntireLine)
            return;
        m_report.TakeLine(line);
        if (OnLine)
            OnLine(*this);
    };
    m_runner->OnTerminated = [this](TDosCommand*, uint32_t exitCode) { Ended(exitCode); };
}

TRowConversion::~TRowConversion()
{
    // A read in progress gives up within moments; the runners kill the encoders and wait for their readers before
    // the private folder goes.
    m_worker.reset();
    m_split.reset();
    m_runner.reset();
    m_publisher.reset();
    m_step.reset();
}

bool TRowConversion::Start(const TRowRequest& row)
{
    if (m_running)
        return true;
    m_stopped.reset();
    m_startFailure.clear();
    m_startFailureKind.clear();
    m_report.Clear();
    m_output.clear();
    m_notes.clear();
    m_split.reset();
    m_step.reset();
    m_outputSize.reset();
    m_outputLength.reset();
    m_formatIndex = row.FormatIndex;
    m_freeEncoders = FreeEncoders ? FreeEncoders() : 0;
    m_began = std::chrono::steady_clock::now();
    // A row the catalogue has no format for needs no file read: it ends at once.
    if (!m_settings.Catalogue || row.FormatIndex < 0
        || static_cast<std::size_t>(row.FormatIndex) >= m_settings.Catalogue->Formats().size()) {
        m_outcome = TRunOutcome::NotInCatalogue();
        return false;
    }
    try {
        m_worker->Run([this, row](const std::atomic<bool>& stop) { Prepare(row, stop); }, [this] { Prepared(); });
    } catch (const std::system_error& error) {
        m_outcome = TRunOutcome::Failure(
            "The conversion could not be started: " + platform::SystemErrorMessage(error.code().value()) + ".");
        return false;
    }
    m_running = true;
    return true;
}

void TRowConversion::Prepare(const TRowRequest& row, const std::atomic<bool>& stop)
{
    m_prepared = PrepareRow(row, m_settings, m_freeEncoders, stop);
    TPreparedRow& prepared = m_prepared;
    if (prepared.Refused)
        return;
    // A step that encodes a piece for a cluster job writes into the folder every step shares, and publishes
    // nothing.
    if (!m_settings.SplitStep || *m_settings.SplitStep == 0) {
        m_publisher = std::make_unique<TRowPublisher>();
        if ((prepared.Refused = m_publisher->Open(prepared.Task, prepared.Notes)))
            return m_publisher.reset();
    }
    if (m_settings.SplitStep) {
        m_step = std::make_unique<TClusterStep>();
        if ((prepared.Refused = m_step->Open(prepared, m_formatIndex, *m_settings.SplitStep, m_settings.Split))) {
            m_publisher.reset();
            m_step.reset();
        }
    }
}

void TRowConversion::Prepared()
{
    m_output = m_prepared.Task.WantedOutput();
    m_notes = m_prepared.Notes;
    if (m_prepared.Refused || m_stopped)
        return FinishBeside(m_stopped ? *m_stopped : *m_prepared.Refused);
    if (std::optional<double> length = m_prepared.KeptLength())
        m_report.SetDuration(*length);
    if (m_prepared.Cuts)
        return StartSplit();
    // The encoder writes through the held folder: nobody can redirect it by renaming the folder's name.
    m_runner->SetArguments(EncoderArguments(m_settings.Encoder, m_prepared.Task.Source, m_prepared.Plan.Arguments,
        m_publisher->WorkPath(), m_prepared.Plan.InputOptions));
    m_began = std::chrono::steady_clock::now();
    try {
        m_runner->Start();
    } catch (const std::system_error& error) {
        // No thread for the encoder's reader: the system is out of processes or memory for now.
        return FinishBeside(TRunOutcome::Failure(
            "The encoder could not be started: " + platform::SystemErrorMessage(error.code().value()) + "."));
    }
    m_started = true;
    if (OnStarted)
        OnStarted(*this);
}

// Starts the row's pieces here, on the owner's thread, whose event loop brings their events: every step of the
// row with its pieces in the private folder, or the steps of a cluster job in the folder they share.
void TRowConversion::StartSplit()
{
    TSplitRun::TWork work;
    if (m_step) {
        work = m_step->Work();
    } else {
        for (std::size_t step = 0; step <= m_prepared.Cuts->Pieces(); ++step)
            work.Steps.push_back(step);
    }
    if (m_publisher)
        work.Output = m_publisher->WorkPath();
    const std::optional<std::size_t> pieceStep
        = !work.Join && !work.Steps.empty() ? std::optional(work.Steps.front()) : std::nullopt;
    const double seconds = m_prepared.Source.Length({ m_prepared.Plan.PictureTrack }).value_or(0);
    m_split = std::make_unique<TSplitRun>(
        TSplitSteps(m_settings.Encoder, m_prepared.Task, m_prepared.Plan, *m_prepared.Cuts,
            m_step ? m_step->HeldPath() : m_publisher->HeldPath(),
            m_step ? ClusterPieceThreads : m_settings.PieceThreads, m_step ? m_step->Stamp() : std::string()),
        std::move(work), seconds);
    m_split->OnLine = [this] {
        if (OnLine)
            OnLine(*this);
    };
    m_split->OnEncoderFreed = [this] {
        if (OnEncoderFreed)
            OnEncoderFreed(*this);
    };
    m_split->OnEnded = [this](const TRunOutcome& outcome) { SplitEnded(outcome); };
    // A step of a cluster job makes its piece, not the output; it is named as the user finds it.
    if (pieceStep) {
        const TSplitSteps& steps = m_split->Steps();
        const std::string made = *pieceStep < steps.Pieces() ? steps.PiecePath(*pieceStep) : steps.RestPath();
        m_output = m_step->Path() + made.substr(steps.Folder().size());
    }
    m_began = std::chrono::steady_clock::now();
    m_started = true;
    if (OnStarted)
        OnStarted(*this);
    // OnEnded may come from inside, when a step cannot start.
    m_split->Start();
    // The row starts after the pool filled its slots: its waiting pieces ask for the encoders free now.
    if (m_running && WantsEncoder() && OnEncoderFreed)
        OnEncoderFreed(*this);
}

void TRowConversion::SplitEnded(const TRunOutcome& outcome)
{
    if (!m_running || m_worker->Busy())
        return;
    FinishBeside(!outcome.Succeeded() && m_stopped ? *m_stopped : outcome);
}

void TRowConversion::Stop(const TRunOutcome& why)
{
    if (!m_running)
        return;
    m_stopped = why;
    m_worker->Stop();
    if (m_split)
        m_split->Stop();
    else
        m_runner->Stop();
}

void TRowConversion::Ended(uint32_t exitCode)
{
    if (!m_running || m_worker->Busy())
        return;
    TRunOutcome outcome = TRunOutcome::OfRun(m_runner->Status(), exitCode, m_runner->ExitSignal(), m_report);
    if (!outcome.Succeeded() && m_stopped)
        outcome = *m_stopped;
    if (m_runner->Status() >= rsPreparingFailed && m_runner->Status() <= rsProcessFailed) {
        m_startFailure = m_runner->StartFailure();
        m_startFailureKind = m_runner->StartFailureKind();
    }
    FinishBeside(outcome);
}

void TRowConversion::FinishBeside(const TRunOutcome& outcome)
{
    if (!m_publisher)
        return End(outcome);
    try {
        m_worker->Run(
            [this, outcome](const std::atomic<bool>& stop) {
                const TPublished published = m_publisher->Finish(outcome, m_prepared, m_formatIndex, stop);
                m_finished = published.Outcome;
                m_outputSize = published.Size;
                if (published.Outcome.Succeeded())
                    m_output = published.Output;
                // A cluster job's pieces go once the row they make is published.
                if (m_step && published.Outcome.Succeeded())
                    m_step->Remove();
                m_publisher.reset();
            },
            [this] { End(m_stopped && !m_finished.Succeeded() ? *m_stopped : m_finished); });
    } catch (const std::system_error&) {
        // No thread to check the file beside this one: what the run made goes, and the row fails.
        m_publisher.reset();
        End(outcome.Succeeded() ? TRunOutcome::Failure("The finished file could not be checked.") : outcome);
    }
}

void TRowConversion::End(const TRunOutcome& outcome)
{
    m_running = false;
    m_started = false;
    m_outcome = outcome;
    m_step.reset();
    // The check held the file's tracks to the source's length, which the report measured before the run.
    if (outcome.Succeeded())
        m_outputLength = m_report.Duration();
    else
        m_outputSize.reset();
    if (OnEnded)
        OnEnded(*this);
}

double TRowConversion::ElapsedSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_began).count();
}

double TRowConversion::WorkDone() const
{
    if (!m_running)
        return 1;
    if (m_split)
        return m_split->Done();
    return m_report.Percent().value_or(0) / 100.0;
}

std::optional<int64_t> TRowConversion::SecondsLeft() const
{
    if (!m_running)
        return std::nullopt;
    if (!m_split)
        return m_report.SecondsLeft(ElapsedSeconds());
    const double done = m_split->Done();
    if (done <= 0)
        return std::nullopt;
    return static_cast<int64_t>(ElapsedSeconds() * (1 - done) / done + 0.5);
}

TRowSnapshot TRowConversion::Snapshot() const
{
    TRowSnapshot snapshot;
    snapshot.Output = m_output;
    snapshot.Notes = m_notes;
    if (m_running) {
        snapshot.State = m_started ? TRowSnapshot::TState::Converting : TRowSnapshot::TState::Preparing;
        snapshot.Work = WorkDone();
        if (m_split || m_report.Percent())
            snapshot.Percent = static_cast<int>(snapshot.Work * 100);
        snapshot.SecondsLeft = SecondsLeft();
        const std::string elapsed = ClockText(static_cast<int64_t>(ElapsedSeconds())) + " elapsed";
        if (!snapshot.Percent)
            snapshot.Progress = elapsed;
        else if (snapshot.SecondsLeft)
            snapshot.Progress
                = std::to_string(*snapshot.Percent) + " %, about " + ClockText(*snapshot.SecondsLeft) + " left";
        else
            snapshot.Progress = std::to_string(*snapshot.Percent) + " %, " + elapsed;
        return snapshot;
    }
    if (m_formatIndex < 0 && m_outcome.Succeeded())
        return snapshot;
    snapshot.State = m_outcome.Succeeded() ? TRowSnapshot::TState::Done : TRowSnapshot::TState::Failed;
    snapshot.Work = 1;
    snapshot.Reason = m_outcome.Reason();
    snapshot.Stopped = m_outcome.Stopped();
    snapshot.OutputSize = m_outputSize;
    snapshot.OutputLength = m_outputLength;
    return snapshot;
}

int TRowConversion::Encoders() const
{
    if (!m_running)
        return 0;
    return m_split ? std::max(m_split->Encoders(), 1) : 1;
}

bool TRowConversion::WantsEncoder() const
{
    return m_running && m_split && m_split->WantsEncoder();
}

void TRowConversion::TakeEncoder()
{
    if (WantsEncoder())
        m_split->TakeEncoder();
}
