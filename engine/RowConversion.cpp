#include "engine/RowConversion.h"

#include "engine/DosCommand.h"
#include "engine/EncoderPlan.h"
#include "engine/OutputCheck.h"
#include "engine/SourceMark.h"
#include "engine/SplitCuts.h"
#include "engine/commandManager.h"
#include "engine/overwriteManager.h"
#include "platform/FileSystem.h"
#include "platform/SharedFolder.h"
#include "platform/WorkFolder.h"

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace
{

// The note that marks a finished output as a row's: which source, in which format, and the size, time and owner
// the file had when it got its name. A resume finds the row's own file by it, whatever name it got and whatever
// else stands in the folder, and knows it for one that nobody has cut or replaced since.
constexpr const char* RowNote = "reelhand.row";

// A row's choices make another file of the same source and format; a row without any keeps the mark it always had.
std::string RowMark(
    const std::string& source, int formatIndex, const TEncoderChoices& choices, const platform::TFileStamp& stamp)
{
    return source + "\n" + std::to_string(formatIndex) + (choices.AsFormat() ? "" : "\n" + ChoicesText(choices)) + "\n"
        + std::to_string(stamp.Size) + "\n" + std::to_string(stamp.ModifiedNs) + "\n" + std::to_string(stamp.Owner)
        + SourceMark(source);
}

// The one rule for an output name, for publishing and resuming alike: taken when anything at all stands there,
// a folder, a pipe or a link that leads nowhere too.
bool NameTaken(const std::string& path)
{
    int error = 0;
    const bool taken = platform::NameTaken(path, error);
    if (error != 0)
        throw EOutputNameError(
            "No output file name can be made from \"" + path + "\": " + platform::SystemErrorMessage(error) + ".");
    return taken;
}

// The private folders of dead runs that hold something else are named once in a program run, and each output
// folder is swept once, whichever conversion (and thread) comes to it first.
std::vector<std::string> SweepOnce(const std::string& folder)
{
    static std::mutex lock;
    static std::set<std::string> swept;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (!swept.insert(folder).second)
            return {};
    }
    std::vector<std::string> notes;
    for (const std::string& name : platform::RemoveAbandonedWorkFolders(folder))
        notes.push_back("The folder " + folder + name
            + " looks like one a conversion left, but holds files a conversion never writes; it was left as it is.");
    return notes;
}

// The encoder's output in the private folder: its own name there cannot clash with anything, is short whatever
// the wanted name's length, and keeps the extension by which the encoder picks the container.
std::string WorkName(const std::string& wanted)
{
    const std::size_t slash = wanted.find_last_of('/');
    const std::size_t dot = wanted.find_last_of('.');
    return "output"
        + (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? wanted.substr(dot) : "");
}

// The folder a cluster job's steps share for a row's pieces: beside the output, named after it, so that every
// step finds it; not one of the private folders, which a run of this program may sweep away.
std::string SharedPiecesName(const TEncoderTask& task)
{
    return "." + task.OutputName + ".pieces";
}

// Why a step cannot use the folder of the pieces at path, by the error that opening it gave.
std::string PiecesFolderRefusal(const std::string& path, int error)
{
    const std::string start = "The folder of the pieces \"" + path + "\" ";
    if (error == ENOTDIR)
        return start + "is not a folder (a link or a file stands at its name); this step uses nothing there.";
    if (error == EPERM)
        return start + "is another user's, or others may write into it; this step uses nothing there.";
    return start + "cannot be made: " + platform::SystemErrorMessage(error) + ".";
}

} // namespace

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
    // A read in progress gives up within moments; the runner kills the encoder and waits for its reader before the
    // private folder goes.
    m_worker.reset();
    // The runners kill the encoders and wait for their readers before the private folder goes.
    m_split.reset();
    m_runner.reset();
    m_work.reset();
    m_pieces.reset();
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
    m_pieces.reset();
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

// Beside the owner's thread: everything up to the encoder's command line. A row refused after its private folder
// was made leaves nothing behind.
void TRowConversion::Prepare(const TRowRequest& row, const std::atomic<bool>& stop)
{
    m_prepared = TPrepared();
    TPrepared& prepared = m_prepared;
    try {
        prepared.Task
            = EncoderTaskFor(row.FileName, row.FormatIndex, row.Path, m_settings.Catalogue, m_settings.ProgramFolder);
        prepared.Task.Choices = row.Choices;
        const TEncoderTask& task = prepared.Task;
        // A pipe or a device would never end, and the demuxer would wait on it for good.
        if (!platform::IsRegularFile(task.Source))
            throw ETaskRefused(TRunOutcome::Failure("The source is not a plain file."));
        // The naming rule refuses a name that no system call could take as it stands, before anything is made.
        TOverwriteManager::FirstFree(task.WantedOutput(), [](const std::string&) { return false; });
        try {
            prepared.Source = ProbeMedia(task.Source, TProbeDepth::Untrusted, &stop);
        } catch (const ENotMediaError& error) {
            throw ETaskRefused(TRunOutcome::Failure(error.Message()));
        } catch (const EProbeError& error) {
            throw ETaskRefused(TRunOutcome::Unreadable(error.Message()));
        }
        if (std::optional<std::string> fault = SourceFault(prepared.Source))
            throw ETaskRefused(TRunOutcome::Failure(*fault));
        prepared.Plan = PlanEncoding(task, prepared.Source);
        const TEncoderPlan& plan = prepared.Plan;
        if (std::optional<std::string> refusal
            = SourceRefusal(prepared.Source, TFormatParams::Of(task.Params).StreamsFor(prepared.Source)))
            throw ETaskRefused(TRunOutcome::Failure(*refusal));
        prepared.Tracks = plan.Tracks;
        prepared.Notes = plan.Notes;
        if (std::optional<std::string> note = UncheckedLengthNote(prepared.Source))
            prepared.Notes.push_back(*note);

        int error = 0;
        if (!platform::MakeFolders(task.OutputFolder, error))
            throw ETaskRefused(TRunOutcome::Failure("The output folder \"" + task.OutputFolder
                + "\" cannot be made: " + platform::SystemErrorMessage(error) + "."));
        // What dead runs left is cleared once per folder; a folder of many files is not read again for every row.
        const std::vector<std::string> swept = SweepOnce(task.OutputFolder);
        prepared.Notes.insert(prepared.Notes.begin(), swept.begin(), swept.end());
        m_workName = WorkName(task.OutputName);
        // A step that encodes a piece for a cluster job writes into the folder every step shares, and publishes
        // nothing.
        if (!m_settings.SplitStep || *m_settings.SplitStep == 0) {
            m_work = std::make_unique<platform::TWorkFolder>();
            if (!m_work->Make(task.OutputFolder, error))
                throw ETaskRefused(TRunOutcome::Failure("Nothing can be written into the output folder \""
                    + task.OutputFolder + "\": " + platform::SystemErrorMessage(error) + "."));
        }
        PrepareSplit(prepared, stop);
        if (prepared.Cuts)
            return;
        prepared.Arguments
            // The encoder writes through the held folder: nobody can redirect it by renaming the folder's name.
            = EncoderArguments(
                m_settings.Encoder, task.Source, plan.Arguments, m_work->HeldPath() + m_workName, plan.InputOptions);
        return;
    } catch (const EReadStopped&) {
        prepared.Refused = TRunOutcome::StoppedByYou();
    } catch (const ETaskRefused& refused) {
        prepared.Refused = refused.Outcome();
    } catch (const std::exception& error) {
        // A name that can no longer be made, a plan that cannot be followed or a catalogue entry lacking a part
        // fails this row only.
        prepared.Refused = TRunOutcome::Failure(error.what());
    }
    m_work.reset();
}

int TRowConversion::PiecesWanted(const TPrepared& prepared) const
{
    if (m_settings.SplitStep || m_settings.Split != SplitAuto)
        return m_settings.Split;
    const std::optional<double> length = prepared.Source.Length({ prepared.Plan.PictureTrack });
    if (!length || *length < SplitAutoMinimumSeconds)
        return 1;
    return 1 + m_freeEncoders;
}

// Beside the owner's thread: sets the row up to be converted in pieces, when it is to be and can be; it is
// converted whole when no cuts are set.
void TRowConversion::PrepareSplit(TPrepared& prepared, const std::atomic<bool>& stop)
{
    const TEncoderTask& task = prepared.Task;
    const TEncoderPlan& plan = prepared.Plan;
    const int pieces = PiecesWanted(prepared);
    if (pieces < 2 && !m_settings.SplitStep)
        return;
    if (std::optional<std::string> refusal = SplitRefusal(task, plan)) {
        if (!m_settings.SplitStep)
            return;
        throw ETaskRefused(TRunOutcome::Failure("This row cannot be converted in pieces: " + *refusal + "."));
    }
    TSplitCuts cuts;
    try {
        cuts = FindSplitCuts(task.Source, plan.PictureTrack, pieces, &stop);
    } catch (const EProbeError& error) {
        throw ETaskRefused(TRunOutcome::Unreadable(error.Message()));
    }
    if (cuts.Pieces() < 2 && !m_settings.SplitStep)
        return;
    TSplitRun::TWork& work = prepared.SplitWork;
    if (m_settings.SplitStep) {
        // Held from here on: whoever else may write the output folder cannot redirect the pieces between steps.
        m_pieces = std::make_unique<platform::TSharedFolder>();
        if (int error = 0; !m_pieces->Open(task.OutputFolder, SharedPiecesName(task), error))
            throw ETaskRefused(TRunOutcome::Failure(PiecesFolderRefusal(m_pieces->Path(), error)));
        prepared.PiecesFolder = m_pieces->HeldPath();
        work.CheckPieces = true;
        work.Join = *m_settings.SplitStep == 0;
        if (!work.Join) {
            // The rest is the step after the last piece the count asked for, however many the keyframes allow.
            const std::size_t step = static_cast<std::size_t>(*m_settings.SplitStep - 1);
            if (step < cuts.Pieces())
                work.Steps.push_back(step);
            else if (step == static_cast<std::size_t>(m_settings.Split))
                work.Steps.push_back(cuts.Pieces());
        }
    } else {
        // The pieces are made through the held folder, like a whole row's file.
        prepared.PiecesFolder = m_work->HeldPath();
        for (std::size_t step = 0; step <= cuts.Pieces(); ++step)
            work.Steps.push_back(step);
    }
    if (m_work)
        work.Output = m_work->HeldPath() + m_workName;
    prepared.Cuts = std::move(cuts);
}

// Starts the row's pieces; the run is made here, on the owner's thread, whose event loop brings its events.
void TRowConversion::StartSplit()
{
    TSplitRun::TWork work = m_prepared.SplitWork;
    const std::optional<std::size_t> pieceStep
        = !work.Join && !work.Steps.empty() ? std::optional(work.Steps.front()) : std::nullopt;
    const double seconds = m_prepared.Source.Length({ m_prepared.Plan.PictureTrack }).value_or(0);
    m_split = std::make_unique<TSplitRun>(
        TSplitSteps(m_settings.Encoder, m_prepared.Task, m_prepared.Plan, *m_prepared.Cuts, m_prepared.PiecesFolder,
            m_settings.SplitStep ? 0 : m_settings.PieceThreads),
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
        m_output = m_pieces->Path() + made.substr(steps.Folder().size());
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

void TRowConversion::Prepared()
{
    m_output = m_prepared.Task.WantedOutput();
    m_notes = m_prepared.Notes;
    if (m_prepared.Refused || m_stopped)
        return FinishBeside(m_stopped ? *m_stopped : *m_prepared.Refused);
    std::vector<int> kept;
    for (const TMappedTrack& track : m_prepared.Tracks)
        if (track.Kind == TStreamKind::Video || track.Kind == TStreamKind::Audio)
            kept.push_back(track.Source);
    if (std::optional<double> length = m_prepared.Source.Length(kept))
        m_report.SetDuration(*length);
    if (m_prepared.Cuts)
        return StartSplit();
    m_runner->SetArguments(m_prepared.Arguments);
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
    if (!m_work)
        return End(outcome);
    try {
        m_worker->Run([this, outcome](const std::atomic<bool>& stop) { Finish(outcome, stop); },
            [this] { End(m_stopped && !m_finished.Succeeded() ? *m_stopped : m_finished); });
    } catch (const std::system_error&) {
        // No thread to check the file beside this one: what the run made goes, and the row fails.
        m_work.reset();
        End(outcome.Succeeded() ? TRunOutcome::Failure("The finished file could not be checked.") : outcome);
    }
}

// Beside the owner's thread: checks a run the encoder called done and gives its file its name; whatever is left in
// the private folder goes.
void TRowConversion::Finish(TRunOutcome outcome, const std::atomic<bool>& stop)
{
    const std::string made = m_work->HeldPath() + m_workName;
    try {
        if (outcome.Succeeded())
            if (std::optional<std::string> fault = OutputFault(m_prepared.Source, m_prepared.Tracks, made, &stop))
                outcome = TRunOutcome::Failure(*fault);
    } catch (const EReadStopped&) {
        outcome = TRunOutcome::StoppedByYou();
    }
    if (outcome.Succeeded()) {
        try {
            if (!m_work->Intact())
                throw Exception("Someone else moved the folder " + m_work->Path()
                    + " away while the encoder wrote into it; its file was not given a name.");
            int error = 0;
            const TEncoderTask& task = m_prepared.Task;
            const auto mark = [&](const platform::TFileStamp& stamp) {
                return RowMark(task.Source, m_formatIndex, task.Choices, stamp);
            };
            if (!m_work->Seal(m_workName, task.Source, RowNote, mark, error))
                throw Exception("The finished file cannot be given the source's date: "
                    + platform::SystemErrorMessage(error) + ".");
            if (const int64_t size = platform::FileSize(made); size >= 0)
                m_outputSize = size;
            m_output = Publish();
        } catch (const std::exception& error) {
            outcome = TRunOutcome::Failure(error.what());
        }
    }
    // A cluster job's pieces go once the row they make is published.
    if (m_settings.SplitStep == 0 && outcome.Succeeded()) {
        int error = 0;
        m_pieces->Remove(error);
    }
    const std::string workPath = m_work->Path();
    int error = 0;
    if (!m_work->Remove(error) && !outcome.Succeeded())
        outcome.OutputNotRemoved(workPath, platform::SystemErrorMessage(error));
    m_work.reset();
    m_finished = outcome;
}

void TRowConversion::End(const TRunOutcome& outcome)
{
    m_running = false;
    m_started = false;
    m_outcome = outcome;
    // The check held the file's tracks to the source's length, which the report measured before the run.
    if (outcome.Succeeded())
        m_outputLength = m_report.Duration();
    else
        m_outputSize.reset();
    if (OnEnded)
        OnEnded(*this);
}

// Moves the checked file to the first name by the naming rule where nothing at all stands.
std::string TRowConversion::Publish()
{
    return TOverwriteManager::FirstFree(m_prepared.Task.WantedOutput(), [&](const std::string& candidate) {
        if (NameTaken(candidate))
            return true;
        // The move itself refuses a name taken in the meantime.
        int error = 0;
        if (m_work->Publish(m_workName, candidate, error))
            return false;
        if (error == EEXIST)
            return true;
        throw EOutputNameError("The finished file cannot be given the name \"" + candidate
            + "\": " + platform::SystemErrorMessage(error) + ".");
    });
}

double TRowConversion::ElapsedSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_began).count();
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

std::optional<int> TRowConversion::Percent() const
{
    if (m_split && m_running)
        return static_cast<int>(m_split->Done() * 100);
    return m_report.Percent();
}

int TRowConversion::Encoders() const
{
    if (!m_running)
        return 0;
    return m_split ? std::max(m_split->Encoders(), 1) : 1;
}

void TRowConversion::TakeEncoder()
{
    if (WantsEncoder())
        m_split->TakeEncoder();
}

std::string TRowConversion::ProgressText() const
{
    const double elapsed = ElapsedSeconds();
    const std::string elapsedText = ClockText(static_cast<int64_t>(elapsed)) + " elapsed";
    const std::optional<int> percent = Percent();
    if (!percent)
        return elapsedText;
    const std::string done = std::to_string(*percent) + " %, ";
    if (const std::optional<int64_t> left = SecondsLeft())
        return done + "about " + ClockText(*left) + " left";
    return done + elapsedText;
}

bool OutputDone(const std::string& path, const std::string& source, int formatIndex, const TEncoderChoices& choices)
{
    platform::TFileStamp stamp;
    std::string note;
    return platform::NotedFile(path, RowNote, stamp, note) && stamp.Owner == platform::CurrentUser() && stamp.Size > 0
        && note == RowMark(source, formatIndex, choices, stamp);
}

std::optional<std::string> FinishedOutput(const TEncoderTask& task, int formatIndex)
{
    std::optional<std::string> found;
    TOverwriteManager::FirstFree(task.WantedOutput(), [&](const std::string& candidate) {
        if (OutputDone(candidate, task.Source, formatIndex, task.Choices))
            found = candidate;
        return !found && NameTaken(candidate);
    });
    return found;
}
