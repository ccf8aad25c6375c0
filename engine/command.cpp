#include "engine/command.h"

#include "engine/DosCommand.h"
#include "engine/commandManager.h"
#include "engine/overwriteManager.h"
#include "engine/plan/EncoderTask.h"
#include "engine/row/ConversionPool.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"
#include "toolkit/ProgramFolder.h"

TCommand* Command = nullptr;

namespace
{

// The block in the state box moves one pixel a second over 75 positions and starts again at the left.
constexpr int32_t LastBusyPos = 74;

std::string ProgramFolderText()
{
    return ProgramFolder().toStdString();
}

} // namespace

TCommand::TCommand(TVirtualStringTree* list)
    : m_timer(std::make_unique<QTimer>())
    , m_list(list)
    , m_encoderPath(FindEncoder())
    , m_overwriteManager(std::make_unique<TOverwriteManager>())
    , m_self(std::make_shared<TCommand*>(this))
{
    m_timer->setInterval(1000);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { TimerTick(); });
    if (list)
        QObject::connect(list, &QObject::destroyed, m_timer.get(), [this] { ListGone(); });
}

TCommand::~TCommand()
{
    *m_self = nullptr;
    m_timer->stop();
    // Destroying the pool waits for the encoders' readers, which kill them; what they made goes too.
    m_pool.reset();
    m_overwriteManager.reset();
    m_timer.reset();
    if (Command == this)
        Command = nullptr;
}

void TCommand::Start(const std::vector<PVirtualNode>& passOver)
{
    if (m_running || !m_list || !m_list->GetFirst())
        return;
    CheckEncoder();
    m_passOver.clear();
    for (PVirtualNode node : passOver)
        if (m_list->IndexOf(node) >= 0)
            m_passOver.insert(node);
    m_pool = std::make_unique<TConversionPool>(m_filesAtOnce,
        TConversionSettings {
            m_encoderPath, ProgramFolderText(), CommandManager, m_splitLongFiles ? SplitAuto : 0, std::nullopt });
    m_pool->TakeNext = [this](std::size_t slot, TRowRequest& row) { return TakeNext(slot, row); };
    // Only rows the batch will take leave split auto fewer encoders: not the finished rows it passes over.
    m_pool->RowsWaiting = [this] {
        std::size_t waiting = 0;
        for (PVirtualNode node = NextToTake(); node; node = m_list->GetNextSibling(node))
            waiting += m_passOver.count(node) == 0;
        return waiting;
    };
    m_pool->OnStarted = [this](std::size_t slot) { RowStarted(slot); };
    m_pool->OnEnded = [this](std::size_t slot) { RowEnded(slot); };
    m_pool->OnLine = [this](std::size_t slot) {
        if (OnOutput)
            OnOutput(m_pool->Slot(slot).Runner(), 0);
    };
    m_pool->OnFinished = [this] { EndBatch(); };
    m_slotRows.assign(m_pool->Slots(), nullptr);
    m_lastSender = m_pool->Slot(0).Runner();
    m_failedRows = 0;
    m_finishedRows = 0;
    m_rowsAtStart = static_cast<int>(m_list->RootNodeCount());
    m_toldStartFailure.clear();
    m_lastTaken = nullptr;
    m_stoppedBeforeLast = false;
    m_currentNode = nullptr;
    m_timer->start();
    m_idle = false;
    m_running = true;
    m_pool->Start();
}

void TCommand::Stop()
{
    if (!m_running)
        return;
    m_idle = true;
    // Known now: rows may be deleted while the encoders end.
    if (!m_pool->Stopping())
        m_stoppedBeforeLast = NextToTake() != nullptr;
    m_pool->Stop(TRunOutcome::StoppedByYou());
}

void TCommand::CheckEncoder() const
{
    ::CheckEncoder(m_encoderPath);
}

TItemNodeData* TCommand::Record(PVirtualNode node) const
{
    return node && m_list ? m_list->GetNodeData<TItemNodeData>(node) : nullptr;
}

PVirtualNode TCommand::NextToTake() const
{
    PVirtualNode next = !m_list ? nullptr : m_lastTaken ? m_list->GetNextSibling(m_lastTaken) : m_list->GetFirst();
    while (next && m_passOver.count(next))
        next = m_list->GetNextSibling(next);
    return next;
}

bool TCommand::TakeNext(std::size_t slot, TRowRequest& row)
{
    const PVirtualNode next = NextToTake();
    if (!next)
        return false;
    m_lastTaken = m_currentNode = next;
    m_currentIndex = m_list->IndexOf(m_currentNode);
    m_slotRows[slot] = m_currentNode;
    const TItemData& item = Record(m_currentNode)->ItemData;
    row = TRowRequest { item.FileName, item.FormatIndex, item.Path, item.Choices };
    return true;
}

void TCommand::RowStarted(std::size_t slot)
{
    const PVirtualNode node = m_slotRows[slot];
    TItemNodeData* record = Record(node);
    if (!record)
        return;
    const std::string& wanted = m_pool->Slot(slot).Output();
    const std::size_t slash = wanted.find_last_of('/');
    m_outputFolder = wanted.substr(0, slash + 1);
    m_outputName = wanted.substr(slash + 1);
    record->ImageIndex = Converting;
    record->ItemData.Busy = 1;
    record->ItemData.BusyPos = 0;
    record->ItemData.Reason.clear();
    record->ItemData.Output.clear();
    record->ItemData.Notes.clear();
    record->ItemData.OutputSize.reset();
    record->ItemData.OutputLength.reset();
    ShowProgress(slot, record->ItemData);
    Repaint(node);
    m_list->SetFocus();
    m_list->SelectOnly(node);
    m_list->ScrollIntoView(node);
}

void TCommand::RowEnded(std::size_t slot)
{
    const PVirtualNode node = m_slotRows[slot];
    m_slotRows[slot] = nullptr;
    const TRowConversion& conversion = m_pool->Slot(slot);
    const TRunOutcome& outcome = conversion.Outcome();
    m_lastSender = conversion.Runner();
    ++m_finishedRows;
    if (!outcome.Succeeded() && !outcome.Stopped())
        ++m_failedRows;
    std::shared_ptr<TCommand*> self = m_self;
    TellStartFailure(conversion);
    if (!Alive(self) || !m_list)
        return;
    m_currentIndex = m_list->IndexOf(node);
    if (OnProgress) {
        OnProgress(m_lastSender, WorkDonePercent());
        if (!Alive(self) || !m_list)
            return;
    }
    if (TItemNodeData* record = Record(node)) {
        const TRowSnapshot snapshot = conversion.Snapshot();
        const bool done = snapshot.State == TRowSnapshot::TState::Done;
        record->ImageIndex = done ? Done : Failed;
        record->ItemData.Reason = QString::fromStdString(snapshot.Reason);
        record->ItemData.Stopped = snapshot.Stopped;
        record->ItemData.Output = done ? NameText(snapshot.Output) : QString();
        record->ItemData.OutputSize = snapshot.OutputSize;
        record->ItemData.OutputLength = snapshot.OutputLength;
        record->ItemData.Percent.reset();
        record->ItemData.SecondsLeft.reset();
        record->ItemData.Notes.clear();
        for (const std::string& line : snapshot.Notes)
            record->ItemData.Notes << QString::fromStdString(line);
        record->ItemData.Progress.clear();
        record->ItemData.Busy = 0;
        record->ItemData.BusyPos = 0;
        Repaint(node);
    }
}

// An encoder that cannot be started fails every row alike; the window says so once for the whole batch.
void TCommand::TellStartFailure(const TRowConversion& conversion)
{
    if (conversion.StartFailure().empty() || conversion.StartFailureKind() == m_toldStartFailure)
        return;
    m_toldStartFailure = conversion.StartFailureKind();
    if (OnStartFailure)
        OnStartFailure(conversion.Runner(), conversion.StartFailure());
}

void TCommand::EndBatch()
{
    // The last row ends the batch as finished, also when a stop came during it.
    const bool stopped = m_stoppedBeforeLast;
    m_currentIndex = 0;
    m_timer->stop();
    m_idle = true;
    m_elapsedSeconds = 0;
    m_currentNode = nullptr;
    m_lastTaken = nullptr;
    m_passOver.clear();
    m_running = false;
    if (OnFinished)
        OnFinished(m_lastSender, stopped);
}

void TCommand::TimerTick()
{
    for (std::size_t slot = 0; slot < m_slotRows.size(); ++slot) {
        TItemNodeData* record = Record(m_slotRows[slot]);
        if (!record || !m_pool->Slot(slot).Started())
            continue;
        int32_t& pos = record->ItemData.BusyPos;
        pos = pos >= LastBusyPos ? 0 : pos + 1;
        ShowProgress(slot, record->ItemData);
        Repaint(m_slotRows[slot]);
    }
    ++m_elapsedSeconds;
    if (OnTick)
        OnTick(m_timer.get());
}

// The list went away under a running batch: nothing of it may be touched any more, and nobody is left to tell.
void TCommand::ListGone()
{
    m_currentNode = nullptr;
    m_lastTaken = nullptr;
    m_slotRows.assign(m_slotRows.size(), nullptr);
    m_passOver.clear();
    m_timer->stop();
    m_idle = true;
    m_running = false;
    m_currentIndex = 0;
    m_elapsedSeconds = 0;
    if (m_pool) {
        m_pool->OnFinished = nullptr;
        m_pool->Stop(TRunOutcome::StoppedByYou());
    }
}

void TCommand::ShowProgress(std::size_t slot, TItemData& item) const
{
    const TRowSnapshot snapshot = m_pool->Slot(slot).Snapshot();
    item.Progress = QString::fromStdString(snapshot.Progress);
    item.Percent = snapshot.Percent;
    item.SecondsLeft = snapshot.SecondsLeft;
}

int TCommand::WorkDonePercent() const
{
    if (!m_running || !m_list)
        return 0;
    double worked = m_finishedRows;
    for (std::size_t slot = 0; slot < m_slotRows.size(); ++slot)
        if (m_slotRows[slot])
            worked += m_pool->Slot(slot).Snapshot().Work;
    // Rows cannot leave the list while the batch runs, so every row passed over is still there.
    const int64_t rows = int64_t(m_list->RootNodeCount()) - int64_t(m_passOver.size());
    return rows > 0 ? static_cast<int>(worked * 100 / rows) : 100;
}

void TCommand::Repaint(PVirtualNode node)
{
    if (m_list && node)
        m_list->RepaintNode(node);
}
