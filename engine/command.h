#pragma once

#include "engine/ConversionRun.h"
#include "list/ItemData.h"
#include "toolkit/VirtualStringTree.h"

#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TDosCommand;
class TOverwriteManager;

// The conversion job: runs the encoder once per row of the file list, in list order, one row at a time, and
// keeps each row's state and busy animation. Everything runs on the user-interface thread.
class TCommand
{
public:
    // Works on the given list control (not owned); the encoder is the one FindEncoder finds.
    explicit TCommand(TVirtualStringTree* list);
    // Kills a running encoder and removes its unfinished output; no notification is raised and no row is
    // touched afterwards.
    ~TCommand();
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;

    // Converts every row from the first, whatever its state. Does nothing while a batch runs (also while it
    // is stopping) or when the list is empty or gone. Raises EEncoderMissing, starting no row, when the encoder
    // is missing or may not be run.
    void Start();
    // Kills the encoder of the current row, which ends Failed, and ends the batch after it; Idle turns true at
    // once, OnFinished follows when the encoder is gone. Does nothing when no batch runs.
    void Stop();
    // Raises EEncoderMissing, naming the encoder's path and what to do, unless it can be run.
    void CheckEncoder() const;

    // True unless a batch runs and no stop has been asked for: the list may be edited by the user.
    bool Idle() const { return m_idle; }
    // True from Start until OnFinished is raised, also while stopping: the current row must stay in the list.
    bool Running() const { return m_running; }
    // The row being converted, or the one that has just ended; 0 outside a batch.
    int CurrentIndex() const { return m_currentIndex; }
    // Whole seconds since the batch started; 0 outside a batch.
    int64_t ElapsedSeconds() const { return m_elapsedSeconds; }
    // Rows of the current or last batch that ended Failed.
    int FailedRows() const { return m_failedRows; }
    // The encoder, fixed at creation.
    const std::string& EncoderPath() const { return m_encoderPath; }
    // Folder (ending in '/') and file name of the current row's wanted output, before a clash is avoided.
    const std::string& OutputFolder() const { return m_outputFolder; }
    const std::string& OutputName() const { return m_outputName; }
    // The row being converted; nullptr outside a batch.
    PVirtualNode CurrentNode() const { return m_currentNode; }

    // Every piece of encoder output; the value is always 0 and the text is not passed on.
    std::function<void(TDosCommand* sender, int value)> OnOutput;
    // After every row, before its state changes: finished rows in percent of all rows, rounded down.
    std::function<void(TDosCommand* sender, int percent)> OnProgress;
    // Once per batch; stopped is true only when a stop ended the batch before its last row.
    std::function<void(TDosCommand* sender, bool stopped)> OnFinished;
    // Once a second while a batch runs, after ElapsedSeconds has grown.
    std::function<void(QTimer* sender)> OnTick;

private:
    // Starts the current row's encoder; the row's outcome instead when it cannot be converted at all.
    std::optional<TRunOutcome> StartItem();
    bool FinishRow(const TRunOutcome& outcome);
    void FinishItem(TDosCommand* sender, const TRunOutcome& outcome, int index);
    void RunRows();
    void EndBatch(bool stopped);
    void EncoderLine(const std::string& line);
    void RunnerTerminated(uint32_t exitCode);
    void ShowProgress();
    void TimerTick();
    void ListGone();
    void RepaintCurrent();
    bool Alive(const std::shared_ptr<TCommand*>& self) const { return *self == this; }

    std::unique_ptr<QTimer> m_timer;
    int64_t m_elapsedSeconds = 0;
    bool m_idle = true;
    bool m_running = false;
    QPointer<TVirtualStringTree> m_list;
    std::unique_ptr<TDosCommand> m_runner;
    std::string m_encoderPath;
    int m_currentIndex = 0;
    std::string m_outputFolder;
    std::string m_outputName;
    PVirtualNode m_currentNode = nullptr;
    TItemNodeData* m_current = nullptr;
    std::unique_ptr<TOverwriteManager> m_overwriteManager;
    TConversionRun m_run;
    int m_failedRows = 0;
    // Cleared by the destructor; handlers that may run after a notification check it before going on.
    std::shared_ptr<TCommand*> m_self;
};

// The one conversion job, made and freed by the controller; nullptr while there is none.
extern TCommand* Command;
