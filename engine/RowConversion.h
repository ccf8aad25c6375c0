#pragma once

#include "engine/EncoderReport.h"
#include "engine/EncoderTask.h"
#include "engine/FormatParams.h"
#include "engine/MediaProbe.h"
#include "engine/RunOutcome.h"
#include "engine/SplitRun.h"
#include "engine/WorkThread.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class TCommandManager;
class TDosCommand;
namespace platform
{
class TSharedFolder;
class TWorkFolder;
}

// One row of a list: what to convert, to which format, into which folder (empty for the default one), with which
// size, quality and sound.
struct TRowRequest {
    QString FileName;
    int FormatIndex = -1;
    QString Path;
    TEncoderChoices Choices;
};

// Split: one piece for each encoder that is free when the row starts and no waiting row will take.
constexpr int SplitAuto = -1;
// Split auto converts shorter sources whole: beside them the pieces' start and the join would gain little.
constexpr double SplitAutoMinimumSeconds = 60;

// What every conversion of a program run shares.
struct TConversionSettings {
    std::string Encoder; // the encoder program
    std::string ProgramFolder; // where relative paths and convert/ are
    TCommandManager* Catalogue = nullptr;
    // Pieces a row whose format allows it is cut into: 0 or 1 for none, SplitAuto.
    int Split = 0;
    // A step of a row cut into Split pieces by a cluster job, in a folder beside the output that every step
    // shares: 1 .. Split encodes that piece of the picture, Split + 1 the rest; 0 joins them into the output.
    // None: the whole row here.
    std::optional<int> SplitStep;
    // Threads for the encoder of each piece of a row converted in pieces here; 0: the encoder's own choice.
    int PieceThreads = 0;
};

// Converts one row at a time, from its task to its outcome: the source is read first, and a row that cannot
// succeed fails without an encoder; the encoder writes into a private folder inside the output folder; a finished
// file is checked and only then moved to the first name where nothing stands, so no unfinished file ever stands
// under a real name and none of anyone else's is replaced; whatever a failed run made is removed. Owned by one
// thread with an event loop, whose events start and end it; every file it reads, makes, checks or moves is read,
// made, checked or moved on a thread beside it, so a file that is slow, huge or never ends holds nothing up.
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
    // The outcome of the row that ended last.
    const TRunOutcome& Outcome() const { return m_outcome; }
    // The wanted output of the current or last row, and after a Done row the name its file got.
    const std::string& Output() const { return m_output; }
    // The size in bytes and the length in seconds of the file a Done row made; none after any other end.
    std::optional<int64_t> OutputSize() const { return m_outputSize; }
    std::optional<double> OutputLength() const { return m_outputLength; }
    // The message of an encoder that could not be started, with what failed, so that a batch can tell a repeat
    // apart; empty unless the last row ended so.
    const std::string& StartFailure() const { return m_startFailure; }
    const std::string& StartFailureKind() const { return m_startFailureKind; }
    // How far the running encoder is: "42 %, about 00:01:05 left"; "42 %, 00:00:03 elapsed" before the pace is
    // known; "00:00:12 elapsed" while the source's length is unknown.
    std::string ProgressText() const;
    // Seconds the running encoder still needs at its pace so far; none while unknown.
    std::optional<int64_t> SecondsLeft() const;
    const TEncoderReport& Report() const { return m_report; }
    // What the user should know of the current or last row, one line each: what its conversion cannot keep of its
    // source as it is (a track its format leaves out although it keeps such tracks in general, a value cut short),
    // and folders of dead runs in its output folder that were left because they hold something else.
    const std::vector<std::string>& Notes() const { return m_notes; }
    // The runner of this conversion's encoder, as the sender of notifications.
    TDosCommand* Runner() const { return m_runner.get(); }
    // How far the running row is, in percent; none while unknown.
    std::optional<int> Percent() const;
    // Encoders the running row uses now: more than one while its pieces are encoded side by side.
    int Encoders() const;
    // True while pieces of the running row wait for an encoder; TakeEncoder starts the next one on a free one.
    bool WantsEncoder() const { return m_running && m_split && m_split->WantsEncoder(); }
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
    // What is read and made before the encoder, beside the owner's thread.
    struct TPrepared {
        TEncoderTask Task;
        TMediaInfo Source;
        std::vector<TMappedTrack> Tracks;
        std::vector<std::string> Notes;
        std::vector<std::string> Arguments; // the encoder's
        TEncoderPlan Plan;
        // Set when the row is converted in pieces: where they are cut, what of them this run does, and in which
        // folder.
        std::optional<TSplitCuts> Cuts;
        TSplitRun::TWork SplitWork;
        std::string PiecesFolder;
        std::optional<TRunOutcome> Refused; // the row ends without an encoder
    };

    void Prepare(const TRowRequest& row, const std::atomic<bool>& stop);
    void Prepared();
    void PrepareSplit(TPrepared& prepared, const std::atomic<bool>& stop);
    int PiecesWanted(const TPrepared& prepared) const;
    void StartSplit();
    void SplitEnded(const TRunOutcome& outcome);
    void Ended(uint32_t exitCode);
    // Checks and publishes a run's file, or removes what a failed one made, beside the owner's thread.
    void Finish(TRunOutcome outcome, const std::atomic<bool>& stop);
    // Finish beside this thread, then End here; End at once when no private folder was made.
    void FinishBeside(const TRunOutcome& outcome);
    void End(const TRunOutcome& outcome);
    std::string Publish();
    double ElapsedSeconds() const;

    const TConversionSettings m_settings;
    int m_formatIndex = -1;
    TPrepared m_prepared;
    std::string m_workName;
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
    std::unique_ptr<platform::TWorkFolder> m_work;
    // The folder a cluster job's steps share for the row's pieces, while this step uses it.
    std::unique_ptr<platform::TSharedFolder> m_pieces;
    std::unique_ptr<TSplitRun> m_split;
    int m_freeEncoders = 0; // FreeEncoders as the row started, for the thread that prepares it
    std::unique_ptr<TDosCommand> m_runner;
    // Stopped and waited for before anything its work uses goes.
    std::unique_ptr<TWorkThread> m_worker;
};

// True when a finished output of a row with that source, format and choices is at path: a checked file of this
// user's that this program gave its name and marked as the row's, with the size and modification time it had then.
bool OutputDone(
    const std::string& path, const std::string& source, int formatIndex, const TEncoderChoices& choices = {});
// The finished output of the row with that task (its choices too) and format, when one stands at one of the names
// the naming rule gives it (the first, the "_2" one, ...); none when the first name where nothing at all stands
// comes first. EOutputNameError when a name cannot be tested.
std::optional<std::string> FinishedOutput(const TEncoderTask& task, int formatIndex);
