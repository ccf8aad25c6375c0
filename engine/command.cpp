#include "engine/command.h"

#include "engine/DosCommand.h"
#include "engine/EncoderTask.h"
#include "engine/commandManager.h"
#include "engine/overwriteManager.h"
#include "toolkit/Application.h"
#include "toolkit/Locations.h"

TCommand* Command = nullptr;

namespace
{

// The block in the state box moves one pixel a second over 75 positions and starts again at the left.
constexpr int32_t LastBusyPos = 74;

std::string ProgramFolder()
{
    return Application->ProgramFolder().toStdString();
}

} // namespace

TCommand::TCommand(TVirtualStringTree* list)
    : m_timer(std::make_unique<QTimer>())
    , m_list(list)
    , m_runner(std::make_unique<TDosCommand>())
    , m_encoderPath(FindEncoder())
    , m_overwriteManager(std::make_unique<TOverwriteManager>())
    , m_self(std::make_shared<TCommand*>(this))
{
    m_timer->setInterval(1000);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { TimerTick(); });
    // The runner's reader keeps its own copy of these handlers, so they reach the job only while it lives.
    m_runner->OnNewLine = [self = m_self](TDosCommand* sender, const std::string& line, TOutputType type) {
        if (*self && type == otEntireLine)
            (*self)->EncoderLine(line);
        if (*self && (*self)->OnOutput)
            (*self)->OnOutput(sender, 0);
    };
    m_runner->OnTerminated = [self = m_self](TDosCommand*, uint32_t exitCode) {
        if (*self)
            (*self)->RunnerTerminated(exitCode);
    };
    if (list)
        QObject::connect(list, &QObject::destroyed, m_timer.get(), [this] { ListGone(); });
}

TCommand::~TCommand()
{
    *m_self = nullptr;
    m_timer->stop();
    m_runner->Stop();
    m_overwriteManager.reset();
    // Destroying the runner waits for its reader, which kills the encoder; what it left half written goes too.
    m_runner.reset();
    m_run.Abandon();
    m_timer.reset();
    if (Command == this)
        Command = nullptr;
}

void TCommand::Start()
{
    if (m_running || !m_list || !m_list->GetFirst())
        return;
    CheckEncoder();
    m_failedRows = 0;
    m_currentNode = m_list->GetFirst();
    m_current = m_list->GetNodeData<TItemNodeData>(m_currentNode);
    m_currentIndex = m_list->IndexOf(m_currentNode);
    m_timer->start();
    m_idle = false;
    m_running = true;
    // A missing encoder fails every row alike; one box says so for the whole batch.
    m_runner->BeginSeries();
    RunRows();
}

void TCommand::Stop()
{
    if (!m_running)
        return;
    m_idle = true;
    m_runner->Stop();
}

void TCommand::CheckEncoder() const
{
    ::CheckEncoder(m_encoderPath);
}

// Starts the current row, and while a row cannot be handed to the encoder, ends it Failed and goes on; a loop
// rather than recursion, so a long list of such rows cannot exhaust the stack.
void TCommand::RunRows()
{
    std::shared_ptr<TCommand*> self = m_self;
    for (std::optional<TRunOutcome> refused = StartItem(); refused; refused = StartItem()) {
        if (!Alive(self) || !FinishRow(*refused))
            return;
    }
}

std::optional<TRunOutcome> TCommand::StartItem()
{
    TItemData& item = m_current->ItemData;
    std::string output;
    std::string commandLine;
    try {
        TEncoderTask task
            = EncoderTaskFor(item.FileName, item.FormatIndex, item.Path, CommandManager, ProgramFolder());
        m_outputFolder = task.OutputFolder;
        m_outputName = task.OutputName;
        output = m_overwriteManager->UniqueName(task.WantedOutput());
        commandLine = EncoderCommandLine(m_encoderPath, task.Source, task.Params, output);
    } catch (const ETaskRefused& refused) {
        return refused.Outcome();
    } catch (const std::exception& error) {
        // A name that can no longer be made, or a catalogue entry lacking a part, fails this row only.
        return TRunOutcome::Failure(error.what());
    }
    m_current->ImageIndex = Converting;
    item.Busy = 1;
    item.Reason.clear();
    m_run.Begin(output);
    item.Progress = QString::fromStdString(m_run.ProgressText());
    RepaintCurrent();
    m_list->SetFocus();
    m_list->SetSelected(m_currentNode, true);
    m_list->ScrollIntoView(m_currentNode);
    m_runner->SetCommandLine(commandLine);
    m_runner->Start();
    return std::nullopt;
}

// Ends the current row; true when the next row has become current and is to be started.
bool TCommand::FinishRow(const TRunOutcome& outcome)
{
    std::shared_ptr<TCommand*> self = m_self;
    FinishItem(m_runner.get(), outcome, m_currentIndex);
    if (!Alive(self))
        return false;
    m_runner->Stop();
    if (!m_list) {
        ListGone();
        return false;
    }
    int count = static_cast<int>(m_list->RootNodeCount());
    if (m_currentIndex < count - 1 && !m_idle) {
        m_current->ItemData.Busy = 0;
        m_current->ItemData.BusyPos = 0;
        m_currentNode = m_list->GetNextSibling(m_currentNode);
        m_current = m_list->GetNodeData<TItemNodeData>(m_currentNode);
        m_currentIndex = m_list->IndexOf(m_currentNode);
        return true;
    }
    // The last row ends the batch as finished, also when a stop came during it.
    EndBatch(m_currentIndex < count - 1);
    return false;
}

void TCommand::FinishItem(TDosCommand* sender, const TRunOutcome& outcome, int index)
{
    if (!outcome.Succeeded())
        ++m_failedRows;
    std::shared_ptr<TCommand*> self = m_self;
    if (OnProgress) {
        int64_t rows = m_list ? m_list->RootNodeCount() : 0;
        OnProgress(sender, rows > 0 ? static_cast<int>((index + 1) * int64_t { 100 } / rows) : 100);
        if (!Alive(self))
            return;
    }
    if (m_current && m_list) {
        m_current->ImageIndex = outcome.Succeeded() ? Done : Failed;
        m_current->ItemData.Reason = QString::fromStdString(outcome.Reason());
        m_current->ItemData.Progress.clear();
        RepaintCurrent();
    }
}

void TCommand::EndBatch(bool stopped)
{
    if (m_current) {
        m_current->ItemData.Busy = 0;
        m_current->ItemData.BusyPos = 0;
    }
    m_currentIndex = 0;
    m_timer->stop();
    m_idle = true;
    m_elapsedSeconds = 0;
    RepaintCurrent();
    m_currentNode = nullptr;
    m_current = nullptr;
    m_running = false;
    if (OnFinished)
        OnFinished(m_runner.get(), stopped);
}

void TCommand::EncoderLine(const std::string& line)
{
    m_run.TakeLine(line);
    ShowProgress();
}

void TCommand::RunnerTerminated(uint32_t exitCode)
{
    // Also after the list went away: the run's unfinished output is removed all the same.
    const TRunOutcome outcome
        = m_run.End(TRunOutcome::OfRun(m_runner->Status(), exitCode, m_runner->ExitSignal(), m_run.Report()));
    if (!m_running)
        return;
    if (FinishRow(outcome))
        RunRows();
}

// The converting row's hint says how far its encoder is; nothing is repainted, as the row shows none of it.
void TCommand::ShowProgress()
{
    if (m_current && m_list && m_run.Active())
        m_current->ItemData.Progress = QString::fromStdString(m_run.ProgressText());
}

void TCommand::TimerTick()
{
    if (m_current && m_list) {
        int32_t& pos = m_current->ItemData.BusyPos;
        pos = pos >= LastBusyPos ? 0 : pos + 1;
        RepaintCurrent();
        ShowProgress();
    }
    ++m_elapsedSeconds;
    if (OnTick)
        OnTick(m_timer.get());
}

// The list went away under a running batch: nothing of it may be touched any more, and nobody is left to tell.
void TCommand::ListGone()
{
    m_currentNode = nullptr;
    m_current = nullptr;
    m_timer->stop();
    m_idle = true;
    m_running = false;
    m_currentIndex = 0;
    m_elapsedSeconds = 0;
    m_runner->Stop();
}

void TCommand::RepaintCurrent()
{
    if (m_list && m_currentNode)
        m_list->RepaintNode(m_currentNode);
}
