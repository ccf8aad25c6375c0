#pragma once

#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

#include <QTimer>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TDosCommand;
class TSyncChannel;

enum TOutputType { otEntireLine, otBeginningOfLine };
enum TReturnCode { rcCRLF, rcLF };

// How a child's console window would be shown, with the classic show-command values. Kept as a setting only:
// a child here has no window to show.
enum TShowWindow : uint32_t {
    swHIDE = 0,
    swMAXIMIZE = 3,
    swMINIMIZE = 6,
    swRESTORE = 9,
    swSHOW = 5,
    swSHOWDEFAULT = 10,
    swSHOWMAXIMIZED = 3,
    swSHOWMINIMIZED = 2,
    swSHOWMINNOACTIVE = 7,
    swSHOWNA = 8,
    swSHOWNOACTIVATE = 4,
    swSHOWNORMAL = 1,
};

// The classic process-creation flags. Kept as a setting only: every child here gets a process group of its
// own (what fCREATE_NEW_PROCESS_GROUP asks for) and none of the others means anything.
enum TCreationFlag : uint32_t {
    fCREATE_DEFAULT_ERROR_MODE = 0x4000000,
    fCREATE_NEW_CONSOLE = 0x10,
    fCREATE_NEW_PROCESS_GROUP = 0x200,
    fCREATE_SEPARATE_WOW_VDM = 0x800,
    fCREATE_SHARED_WOW_VDM = 0x1000,
    fCREATE_SUSPENDED = 0x4,
    fCREATE_UNICODE_ENVIRONMENT = 0x400,
    fDEBUG_PROCESS = 0x1,
    fDEBUG_ONLY_THIS_PROCESS = 0x2,
    fDETACHED_PROCESS = 0x8,
};

using TNewLineEvent = std::function<void(TDosCommand* Sender, const std::string& NewLine, TOutputType OutputType)>;
using TTerminateEvent = std::function<void(TDosCommand* Sender, uint32_t ExitCode)>;

// The pipes of a run could not be made.
class TCreatePipeError : public Exception {
public:
    using Exception::Exception;
};

// The child of a run could not be started; the message is the command line and " doesn't exist." for a missing
// program, else " could not be started: " and the system's reason.
class TCreateProcessError : public Exception {
public:
    using Exception::Exception;
};

// The values of TDosCommand::Status: the phase a run is in, or how it ended. A phase's failure is the value
// after it.
enum TRunStatus : int {
    rsPreparing = 0,
    rsPreparingFailed = 1,
    rsCreatingPipes = 2,
    rsPipesFailed = 3,
    rsCreatingProcess = 4,
    rsProcessFailed = 5,
    rsRunning = 6,
    rsRunningFailed = 7,
    rsExited = 8,
    rsStopped = 9,
    rsTimedOut = 10,
};

// The exit code a run reports while its child runs, and for a run that was stopped or timed out.
constexpr uint32_t StillActive = 259;

// A line that runs on without a break is cut after this many bytes: that part is reported as an entire line
// and the rest begins a new one. So a child that never ends its line cannot make one piece, and every
// fragment that repeats the line so far, grow without bound.
constexpr std::size_t MaxLineLength = 64 * 1024;
// CapturedLines keeps only the most recent pieces: at most this many bytes of text...
constexpr std::size_t MaxCapturedBytes = 1024 * 1024;
// ...and at most this many pieces, so that a flood of empty lines is bounded too.
constexpr std::size_t MaxCapturedPieces = 16 * 1024;

// Splits a command line into the child's arguments. Rule: blanks (space, tab, CR, LF) outside double quotes
// separate arguments; a double quote opens or closes a quoted stretch, which may hold blanks and joins with
// unquoted text next to it (a"b c"d is one argument ab cd; "" is one empty argument); inside a quoted
// stretch a backslash followed by " or \ stands for that character, any other backslash is itself; outside
// quotes a backslash is an ordinary character. An unclosed quote runs to the end.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// Quotes one argument so that SplitCommandLine gives it back unchanged, whatever bytes it holds.
std::string QuoteArgument(const std::string& argument);
// The arguments as one line to show or store: each quoted only where SplitCommandLine would otherwise not give it
// back unchanged, so the line reads as typed and splits back into exactly these arguments.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

// Counts the seconds used by the runner's time-outs. Ticks on the user-interface thread; the counters may be
// read and the counting begun or ended from any thread.
class TProcessTimer {
public:
    TProcessTimer();
    // Interval 1000 ms, both counters 0, timer enabled.
    void BeginCounting();
    // SinceLastOutput back to 0.
    void OutputSeen() { m_sinceLastOutput = 0; }
    // Timer disabled; the counters keep their values.
    void EndCounting();
    int SinceBeginning() const { return m_sinceBeginning; }
    int SinceLastOutput() const { return m_sinceLastOutput; }
    bool Enabled() const { return m_counting; }

private:
    void Tick();
    QTimer m_timer;
    std::atomic<int> m_sinceBeginning{0};
    std::atomic<int> m_sinceLastOutput{0};
    std::atomic<bool> m_counting{false};
};

// Text queued for a child's standard input; appended on the user-interface thread, taken by the reader.
class TPendingInput {
public:
    void Add(const std::string& text);
    int Count() const;
    void Clear();
    // Removes and returns the first entry; false when there is none.
    bool TakeFirst(std::string& text);

private:
    mutable std::mutex m_mutex;
    std::deque<std::string> m_items;
};

// The reader of one run: makes the pipes and the child, reads and splits the output, feeds queued input,
// watches the time-outs, and reports every piece and the end of the run on the user-interface thread.
class TDosThread {
public:
    TDosThread(TDosCommand& owner, uint64_t generation);
    // Waits for the thread; the owner makes sure that it can end (stop request and closed hand-over).
    ~TDosThread();
    TDosThread(const TDosThread&) = delete;
    TDosThread& operator=(const TDosThread&) = delete;

    // Asks the reader to end; it notices within one cycle (or between two bytes of a read).
    void Terminate() { m_terminated = true; }
    // True once the reader has done its last hand-over.
    bool Finished() const { return m_finished; }

private:
    friend class TDosCommand;
    struct Session;

    void Execute();
    void RunLoop(Session& session, uint32_t& exitCode);
    // Reads and splits what is waiting; false when nothing was.
    bool ReadOutput(Session& session);
    void WriteInput(Session& session);
    void SplitLines(const char* bytes, std::size_t count);
    void EmitLine(const std::string& text, TOutputType type);
    void DeliverLine(const std::string& text, TOutputType type);
    bool TimedOut() const;
    // Only the newest run of a runner sets its Status, ExitCode, CapturedLines and timer: a run ended by a
    // newer Start still reports its pieces and its end, but no longer overwrites the new run's state.
    void SetStatus(int status);
    // Begins or ends the time-out counting for this run unless a newer run has begun; the check and the
    // timer are one step under the runner's lock, so a newer Start cannot slip in between.
    void CountTime(bool counting);
    // Reports the end of the run, with the start failure's message if any, on the user-interface thread.
    void ReportEnd(uint32_t exitCode, const std::string& message, const std::string& failure);

    TDosCommand& m_owner;
    const uint64_t m_generation;
    // Copies of the runner's settings, taken when the run is created (ShowWindow, CreationFlag and
    // PriorityClass change nothing here, so the reader needs none of them).
    const std::string m_commandLine;
    const std::vector<std::string> m_arguments;
    const std::shared_ptr<const TNewLineEvent> m_onNewLine;
    const std::shared_ptr<const TTerminateEvent> m_onTerminated;
    const int m_maxTimeAfterBeginning;
    const int m_maxTimeAfterLastOutput;
    const std::shared_ptr<TSyncChannel> m_channel;

    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    std::vector<char> m_buffer;
    std::string m_fragment;
    std::string m_inputRest; // the part of an input entry that did not fit into the pipe yet
    bool m_lastWasFragment = false;
    bool m_previousEndedWithCR = false;
    std::thread m_thread;
};

// Runs one console program at a time as a child process with its standard input and merged standard output
// and error on pipes, and reports its output line by line and its end on the user-interface thread.
// The runner must be created, used and destroyed on the user-interface thread.
class TDosCommand {
public:
    TDosCommand();
    // Stops a run in progress and waits for its reader, which then neither raises events nor touches this
    // runner; safe from inside OnNewLine and OnTerminated too.
    ~TDosCommand();
    TDosCommand(const TDosCommand&) = delete;
    TDosCommand& operator=(const TDosCommand&) = delete;

    // Starts a run of CommandLine (does nothing when it is empty): stops a run in progress (its OnTerminated
    // still comes), empties CapturedLines and PendingInput, and returns while the reader starts the child.
    // When a run ends, whatever is left of the child's process group is killed, also after a child that exited
    // by itself: helpers it left running go with it.
    // A run whose child could not be started ends with the system error as its exit code, never with 0, and
    // StartFailure says why; telling the user is the owner's business.
    void Start();
    // The message of the last run's start failure, and what failed (the pipes, or the process with its error and
    // program), so that a repeat can be told apart; both empty after a run that started. Set before OnTerminated.
    const std::string& StartFailure() const { return m_startFailure; }
    const std::string& StartFailureKind() const { return m_startFailureKind; }
    // Asks the current run to end without waiting; the child is killed with its group and OnTerminated comes
    // with 259. Does nothing when no run is in progress.
    void Stop();
    // True from Start until the run has ended or has been stopped.
    bool Running() const { return m_reader != nullptr; }

    // The child's command line, program first: setting it splits it into Arguments by SplitCommandLine's rule.
    std::string CommandLine() const { return m_commandLine; }
    void SetCommandLine(const std::string& value);
    // The child's words, program first, exactly as the child gets them: nothing in them is ever split again, so a
    // value that comes from a file stays one argument whatever it holds. Setting them sets CommandLine to the line
    // that splits back into them.
    const std::vector<std::string>& Arguments() const { return m_arguments; }
    void SetArguments(std::vector<std::string> value);
    bool InputToOutput() const { return m_inputToOutput; }
    void SetInputToOutput(bool value) { m_inputToOutput = value; }
    // Seconds a run may last; 0 or less: no limit.
    int MaxTimeAfterBeginning() const { return m_maxTimeAfterBeginning; }
    void SetMaxTimeAfterBeginning(int value) { m_maxTimeAfterBeginning = value; }
    // Seconds a run may stay silent; 0 or less: no limit.
    int MaxTimeAfterLastOutput() const { return m_maxTimeAfterLastOutput; }
    void SetMaxTimeAfterLastOutput(int value) { m_maxTimeAfterLastOutput = value; }
    TShowWindow ShowWindow() const { return m_showWindow; }
    void SetShowWindow(TShowWindow value) { m_showWindow = value; }
    TCreationFlag CreationFlag() const { return m_creationFlag; }
    void SetCreationFlag(TCreationFlag value) { m_creationFlag = value; }
    // Kept as a setting only: a child here runs at our own priority.
    uint32_t PriorityClass() const { return m_priorityClass; }
    void SetPriorityClass(uint32_t value) { m_priorityClass = value; }
    // How the last complete line was ended: rcCRLF for CR LF in one read, rcLF for anything else.
    TReturnCode OutputReturnCode() const { return m_outputReturnCode; }

    // A TRunStatus value; kept until the next run begins.
    int Status() const { return m_status; }
    // The child's own exit code when it ended by itself, the system error when the run failed; unchanged
    // by a run that was stopped or timed out.
    uint32_t ExitCode() const { return m_exitCode; }
    // The signal that ended the child of the last run when it died by one (ExitCode is then 128 + it); 0 when
    // it ended by itself, and for a run that was stopped, timed out or never had a child.
    int ExitSignal() const { return m_exitSignal; }

    // The pieces reported by the current or last run, fragments and complete lines alike, in order; only the
    // most recent ones within MaxCapturedBytes and MaxCapturedPieces are kept.
    std::vector<std::string> CapturedLines() const;
    // An outside list that shows the output as a console would (a line that comes in pieces is one entry);
    // not owned; nullptr for none.
    TStrings* TargetLines() const { return m_targetLines; }
    void SetTargetLines(TStrings* lines) { m_targetLines = lines; }
    // Text for the child's standard input, one entry per write, sent exactly as queued.
    TPendingInput& PendingInput() { return m_pendingInput; }
    // Created by the first Start.
    TProcessTimer* Timer() const { return m_timer.get(); }

    TNewLineEvent OnNewLine;
    TTerminateEvent OnTerminated;

private:
    friend class TDosThread;
    // Forgets the readers of earlier runs that have ended.
    void Reap();
    // Appends a piece to CapturedLines and drops the oldest beyond the limits; under m_mutex.
    void Capture(const std::string& text);

    std::string m_commandLine;
    std::vector<std::string> m_arguments;
    std::atomic<bool> m_inputToOutput{false};
    int m_maxTimeAfterBeginning = 0;
    int m_maxTimeAfterLastOutput = 0;
    TShowWindow m_showWindow = swHIDE;
    TCreationFlag m_creationFlag = fCREATE_NEW_CONSOLE;
    uint32_t m_priorityClass = 0x20;
    std::atomic<TReturnCode> m_outputReturnCode{rcCRLF};
    std::atomic<int> m_status{0};
    std::atomic<uint32_t> m_exitCode{0};
    std::atomic<int> m_exitSignal{0};

    // Guards CapturedLines and which run is the latest; readers of runs that were stopped keep quiet.
    mutable std::mutex m_mutex;
    std::deque<std::string> m_capturedLines;
    std::size_t m_capturedBytes = 0;
    uint64_t m_latestGeneration = 0;

    std::string m_startFailure;
    std::string m_startFailureKind;

    TStrings* m_targetLines = nullptr;
    TPendingInput m_pendingInput;
    std::unique_ptr<TProcessTimer> m_timer;
    std::shared_ptr<TSyncChannel> m_channel;
    TDosThread* m_reader = nullptr;                    // the current run's reader
    std::vector<std::unique_ptr<TDosThread>> m_readers; // every reader not yet joined, current one included
};
