#include "engine/command.h"

#include "engine/DosCommand.h"
#include "engine/EncoderTask.h"
#include "engine/commandManager.h"
#include "engine/overwriteManager.h"
#include "toolkit/Application.h"

TCommand* Command = nullptr;

namespace
{

// The block in the state box moves one pixel a second over 75 positions and starts again at the left.
constexpr int32_t LastBusyPos = 74;

std::string ProgramFolder()
{
    return Application->ProgramFolder().toStdString();
}

bool InCatalogue(int32_t index)
{
    return CommandManager && index >= 0 && index < static_cast<int64_t>(CommandManager->Formats().size());
}

} // namespace

TCommand::TCommand(TVirtualStringTree* list)
    : m_timer(std::make_unique<QTimer>())
    , m_list(list)
    , m_runner(std::make_unique<TDosCommand>())
    , m_encoderPath(ProgramFolder() + "/bin/ffmpeg")
    , m_overwriteManager(std::make_unique<TOverwriteManager>())
    , m_self(std::make_shared<TCommand*>(this))
{
    m_timer->setInterval(1000);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { TimerTick(); });
    // The runner's reader keeps its own copy of these handlers, so they reach the job only while it lives.
    m_runner->OnNewLine = [self = m_self](TDosCommand* sender, const std::string&, TOutputType) {
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
    m_runner.reset();
    m_timer.reset();
    if (Command == this)
        Command = nullptr;
}

void TCommand::Start()
{
    if (m_running || !m_list || !m_list->GetFirst())
        return;
    m_currentNode = m_list->GetFirst();
    m_current = m_list->GetNodeData<TItemNodeData>(m_currentNode);
    m_currentIndex = m_list->IndexOf(m_currentNode);
    m_timer->start();
    m_idle = false;
    m_running = true;
    RunRows();
}

void TCommand::Stop()
{
    if (!m_running)
        return;
    m_idle = true;
    m_runner->Stop();
}

// Starts the current row, and while a row cannot be handed to the encoder, ends it Failed and goes on; a loop
// rather than recursion, so a long list of such rows cannot exhaust the stack.
void TCommand::RunRows()
{
    std::shared_ptr<TCommand*> self = m_self;
    while (!StartItem()) {
        if (!Alive(self) || !FinishRow(false))
            return;
    }
}

// Prepares the current row and starts its encoder; false when the row has no catalogue entry or its command
// line could not be made (then the encoder is not started).
bool TCommand::StartItem()
{
    TItemData& item = m_current->ItemData;
    if (!InCatalogue(item.FormatIndex))
        return false;
    std::string commandLine;
    try {
        TEncoderTask task
            = EncoderTaskFor(item.FileName, item.FormatIndex, item.Path, *CommandManager, ProgramFolder());
        m_outputFolder = task.OutputFolder;
        m_outputName = task.OutputName;
        std::string output = m_overwriteManager->UniqueName(task.WantedOutput());
        commandLine = EncoderCommandLine(m_encoderPath, task.Source, task.Params, output);
    } catch (const std::exception& error) {
        Application->ShowException(error);
        return false;
    }
    m_current->ImageIndex = Converting;
    item.Busy = 1;
    RepaintCurrent();
    m_list->SetFocus();
    m_list->SetSelected(m_currentNode, true);
    m_runner->SetCommandLine(commandLine);
    m_runner->Start();
    return true;
}

// Ends the current row; true when the next row has become current and is to be started.
bool TCommand::FinishRow(bool success)
{
    std::shared_ptr<TCommand*> self = m_self;
    FinishItem(m_runner.get(), success, m_currentIndex);
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

void TCommand::FinishItem(TDosCommand* sender, bool success, int index)
{
    std::shared_ptr<TCommand*> self = m_self;
    if (OnProgress) {
        int64_t rows = m_list ? m_list->RootNodeCount() : 0;
        OnProgress(sender, rows > 0 ? static_cast<int>((index + 1) * int64_t { 100 } / rows) : 100);
        if (!Alive(self))
            return;
    }
    if (m_current && m_list) {
        m_current->ImageIndex = success ? Done : Failed;
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

void TCommand::RunnerTerminated(uint32_t exitCode)
{
    if (!m_running)
        return;
    if (FinishRow(exitCode == 0))
        RunRows();
}

void TCommand::TimerTick()
{
    if (m_current && m_list) {
        int32_t& pos = m_current->ItemData.BusyPos;
        pos = pos >= LastBusyPos ? 0 : pos + 1;
        RepaintCurrent();
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
