#pragma once

#include "engine/row/BatchTimeLeft.h"
#include "engine/row/RowConversion.h"
#include "list/ItemData.h"
#include "toolkit/VirtualStringTree.h"

#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class TConversionPool;
class TDosCommand;
class TOverwriteManager;

// The conversion job: runs the encoder once per row of the file list, in list order, by default one row at a
// time, and keeps each row's state and busy animation. Everything runs on the user-interface thread.
class TCommand
{
public:
    // Works on the given list control (not owned); the encoder is the one FindEncoder finds.
    explicit TCommand(TVirtualStringTree* list);
    // Kills running encoders and removes what they made; no notification is raised and no row is touched
    // afterwards.
    ~TCommand();
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;

    // Converts every row from the first, whatever its state, but the rows of passOver, which keep theirs; rows
    // added meanwhile join. Does nothing while a batch runs (also while it is stopping) or when the list is empty
    // or gone. Raises EEncoderMissing, starting no row, when the encoder is missing or may not be run.
    void Start(const std::vector<PVirtualNode>& passOver = {});
    // Kills the encoders of the rows being converted, which end Failed, and ends the batch after them; Idle
    // turns true at once, OnFinished follows when the encoders are gone. Does nothing when no batch runs.
    void Stop();
    // Raises EEncoderMissing, naming the encoder's path and what to do, unless it can be run.
    void CheckEncoder() const;

    // How many rows are converted at once, from 1; the next batch takes a new value.
    int FilesAtOnce() const { return m_filesAtOnce; }
    void SetFilesAtOnce(int value) { m_filesAtOnce = value < 1 ? 1 : value; }
    // Whether a long file is cut into pieces that take the encoders no row is left for; the next batch takes a
    // new value.
    bool SplitLongFiles() const { return m_splitLongFiles; }
    void SetSplitLongFiles(bool value) { m_splitLongFiles = value; }

    // True unless a batch runs and no stop has been asked for: the list may be edited by the user.
    bool Idle() const { return m_idle; }
    // True from Start until OnFinished is raised, also while stopping: the rows being converted must stay in
    // the list.
    bool Running() const { return m_running; }
    // The row started last, or the one that has just ended; 0 outside a batch.
    int CurrentIndex() const { return m_currentIndex; }
    // Whole seconds since the batch started; 0 outside a batch.
    int64_t ElapsedSeconds() const { return m_elapsedSeconds; }
    // The work of the current batch done so far, in percent rounded down: every row that ended counts whole, a
    // running one by how far its encoder is; rows added meanwhile join the count, rows passed over count not at all.
    // 0 outside a batch.
    int WorkDonePercent() const;
    // What the batch still needs at its pace so far (BatchTimeLeft); none outside a batch.
    std::optional<int64_t> SecondsLeft() const
    {
        return m_running ? BatchTimeLeft(WorkDonePercent(), m_elapsedSeconds) : std::nullopt;
    }
    // Rows of the current or last batch that have ended, and of those the ones that failed by themselves (a row the
    // user stopped ended Failed, but is not counted here).
    int FinishedRows() const { return m_finishedRows; }
    int FailedRows() const { return m_failedRows; }
    // The encoder, fixed at creation.
    const std::string& EncoderPath() const { return m_encoderPath; }
    // Folder (ending in '/') and file name of the wanted output of the row started last, before a clash is
    // avoided.
    const std::string& OutputFolder() const { return m_outputFolder; }
    const std::string& OutputName() const { return m_outputName; }
    // The row started last; nullptr outside a batch.
    PVirtualNode CurrentNode() const { return m_currentNode; }

    // Every piece of encoder output; the value is always 0 and the text is not passed on.
    std::function<void(TDosCommand* sender, int value)> OnOutput;
    // After every row, before its state changes: WorkDonePercent.
    std::function<void(TDosCommand* sender, int percent)> OnProgress;
    // Once per batch; stopped is true only when a stop ended the batch before its last row had started.
    std::function<void(TDosCommand* sender, bool stopped)> OnFinished;
    // An encoder could not be started, with the message why; once per batch for each kind of failure, after the
    // row has ended.
    std::function<void(TDosCommand* sender, const std::string& message)> OnStartFailure;
    // Once a second while a batch runs, after ElapsedSeconds has grown.
    std::function<void(QTimer* sender)> OnTick;

private:
    // The row after the one taken last that the batch does not pass over; nullptr when none is left.
    PVirtualNode NextToTake() const;
    bool TakeNext(std::size_t slot, TRowRequest& row);
    void RowStarted(std::size_t slot);
    void RowEnded(std::size_t slot);
    void TellStartFailure(const TRowConversion& conversion);
    void EndBatch();
    void TimerTick();
    void ListGone();
    void Repaint(PVirtualNode node);
    // Copies how far the slot's encoder is into its row.
    void ShowProgress(std::size_t slot, TItemData& item) const;
    TItemNodeData* Record(PVirtualNode node) const;
    bool Alive(const std::shared_ptr<TCommand*>& self) const { return *self == this; }

    std::unique_ptr<QTimer> m_timer;
    int64_t m_elapsedSeconds = 0;
    bool m_idle = true;
    bool m_running = false;
    QPointer<TVirtualStringTree> m_list;
    std::string m_encoderPath;
    int m_currentIndex = 0;
    std::string m_outputFolder;
    std::string m_outputName;
    PVirtualNode m_currentNode = nullptr;
    // The row taken last: the next one is its sibling at the time it is wanted, so rows added meanwhile join.
    PVirtualNode m_lastTaken = nullptr;
    // Rows the batch leaves as they are.
    std::unordered_set<PVirtualNode> m_passOver;
    // Whether rows were left unstarted when a stop was asked for.
    bool m_stoppedBeforeLast = false;
    // The row each encoder converts, by slot; nullptr for an idle one.
    std::vector<PVirtualNode> m_slotRows;
    std::unique_ptr<TOverwriteManager> m_overwriteManager;
    int m_filesAtOnce = 1;
    bool m_splitLongFiles = false;
    int m_rowsAtStart = 0;
    int m_finishedRows = 0;
    int m_failedRows = 0;
    std::string m_toldStartFailure;
    TDosCommand* m_lastSender = nullptr;
    std::unique_ptr<TConversionPool> m_pool;
    // Cleared by the destructor; handlers that may run after a notification check it before going on.
    std::shared_ptr<TCommand*> m_self;
};

// The one conversion job, made and freed by the controller; nullptr while there is none.
extern TCommand* Command;
