#pragma once

#include "engine/EncoderReport.h"
#include "engine/RowPreparation.h"
#include "engine/RowRequest.h"
#include "engine/RowSnapshot.h"
#include "engine/RunOutcome.h"
#include "engine/WorkThread.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TClusterStep;
class TDosCommand;
class TRowPublisher;
class TSplitRun;

// Converts one row at a time, from its request to its outcome: the row is prepared (TRowPreparation) and one that
// cannot succeed ends without an encoder; the encoder writes into a private folder and its file is checked and
// published (TRowPublisher); a row cut into pieces runs them here side by side or as one step of a cluster job
// (TClusterStep). Owned by one thread with an event loop, whose events start and end it; every file it reads,
// makes, checks or moves is read, made, checked or moved on a thread beside it, so a file that is slow, huge or
// never ends holds nothing up.
class TRowConversion
{
public:
    explicit TRowConversion(TConversionSettings settings);
    // Kills a running encoder, stops what is being read and removes what it made; no event comes.
    ~TRowConversion();
    TRowConversion(const TRowConversion&) = delete;
    TRowConversion& operator=(const TRowConversion&) = delete;

    // Starts converting the row: OnStarted follows when its encoder runs, OnEnded when the row has ended, also when
    // it fails without an encoder. False when it has ended at once (a format the catalogue lacks, no thread to read
    // it beside this one), Failed with Outcome saying why, and no event follows.
    bool Start(const TRowRequest& row);
    // Stops the row within moments, whatever it is doing: it ends Failed with why, unless it had already finished.
    void Stop(const TRunOutcome& why);

    // From Start until OnEnded.
    bool Running() const { return m_running; }
    // From OnStarted until OnEnded: the row's encoder runs or its result is being checked.
    bool Started() const { return m_started; }
    // How the current or last row stands: what every front end shows of it.
    TRowSnapshot Snapshot() const;
    // The outcome of the row that ended last.
    const TRunOutcome& Outcome() const { return m_outcome; }
    // The wanted output of the current or last row, and after a Done row the name its file got.
    const std::string& Output() const { return m_output; }
    // The message of an encoder that could not be started, with what failed, so that a batch can tell a repeat
    // apart; empty unless the last row ended so.
    const std::string& StartFailure() const { return m_startFailure; }
    const std::string& StartFailureKind() const { return m_startFailureKind; }
    // The runner of this conversion's encoder, as the sender of notifications.
    TDosCommand* Runner() const { return m_runner.get(); }
    // Encoders the running row uses now: more than one while its pieces are encoded side by side.
    int Encoders() const;
    // True while pieces of the running row wait for an encoder; TakeEncoder starts the next one on a free one.
    bool WantsEncoder() const;
    void TakeEncoder();

    // Encoders free right now besides the one the row starts on, and rows waiting after it: split auto takes
    // the difference. Unset: none.
    std::function<int()> FreeEncoders;
    // A piece's encoder is free again and no piece of the row waits for it.
    std::function<void(TRowConversion& conversion)> OnEncoderFreed;

    // The row's encoder has started.
    std::function<void(TRowConversion& conversion)> OnStarted;
    // A line of the encoder's output has come.
    std::function<void(TRowConversion& conversion)> OnLine;
    // The running row has ended Done or Failed; the conversion may be started again from inside.
    std::function<void(TRowConversion& conversion)> OnEnded;

private:
    // Beside the owner's thread: the row is read and worked out, and the folders it writes into are made.
    void Prepare(const TRowRequest& row, const std::atomic<bool>& stop);
    void Prepared();
    void StartSplit();
    void SplitEnded(const TRunOutcome& outcome);
    void Ended(uint32_t exitCode);
    // Checks and publishes a run's file beside this thread, then ends the row here; at once when no private
    // folder was made.
    void FinishBeside(const TRunOutcome& outcome);
    void End(const TRunOutcome& outcome);
    // Seconds the running row still needs at its pace so far, and the share of its work done.
    std::optional<int64_t> SecondsLeft() const;
    double WorkDone() const;
    double ElapsedSeconds() const;

    const TConversionSettings m_settings;
    int m_formatIndex = -1;
    TPreparedRow m_prepared;
    std::string m_output;
    std::vector<std::string> m_notes;
    std::optional<int64_t> m_outputSize;
    std::optional<double> m_outputLength;
    TEncoderReport m_report;
    TRunOutcome m_outcome = TRunOutcome::Success();
    TRunOutcome m_finished = TRunOutcome::Success(); // what the check and the publishing came to
    std::optional<TRunOutcome> m_stopped;
    std::string m_startFailure;
    std::string m_startFailureKind;
    bool m_running = false;
    bool m_started = false;
    std::chrono::steady_clock::time_point m_began;
    int m_freeEncoders = 0; // FreeEncoders as the row started, for the thread that prepares it
    std::unique_ptr<TRowPublisher> m_publisher;
    // The folder a cluster job's steps share for the row's pieces, while this step uses it.
    std::unique_ptr<TClusterStep> m_step;
    std::unique_ptr<TSplitRun> m_split;
    std::unique_ptr<TDosCommand> m_runner;
    // Stopped and waited for before anything its work uses goes.
    std::unique_ptr<TWorkThread> m_worker;
};
