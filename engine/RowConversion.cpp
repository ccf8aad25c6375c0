#include "engine/RowConversion.h"

#include "engine/DosCommand.h"
#include "engine/EncoderPlan.h"
#include "engine/SplitCuts.h"
#include "engine/overwriteManager.h"
#include "platform/FileSystem.h"
#include "platform/WorkFolder.h"

#include <algorithm>
#include <cerrno>

namespace
{

// The note that marks a finished output as a row's: which source, in which format. A resume finds the row's own
// file by it, whatever name it got and whatever else stands in the folder.
constexpr const char* RowNote = "reelhand.row";

// A row's choices make another file of the same source and format; a row without any keeps the mark it always had.
std::string RowMark(const std::string& source, int formatIndex, const TEncoderChoices& choices)
{
    return source + "\n" + std::to_string(formatIndex) + (choices.AsFormat() ? "" : "\n" + ChoicesText(choices));
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
std::string SharedPiecesFolder(const TEncoderTask& task)
{
    return task.OutputFolder + "." + task.OutputName + ".pieces/";
}

} // namespace

TRowConversion::TRowConversion(TConversionSettings settings)
    : m_settings(std::move(settings))
    , m_runner(std::make_unique<TDosCommand>())
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
    // The runners kill the encoders and wait for their readers before the private folder goes.
    m_split.reset();
    m_runner.reset();
    m_work.reset();
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
    try {
        Prepare(row);
        m_began = std::chrono::steady_clock::now();
        m_running = true;
        if (!m_split) {
            m_runner->Start();
            return true;
        }
        // A step that ends at once is told by the return value, not by OnEnded.
        m_starting = true;
        m_split->Start();
        m_starting = false;
        return m_running;
    } catch (const ETaskRefused& refused) {
        m_outcome = refused.Outcome();
    } catch (const std::system_error& error) {
        // No thread for the encoder's reader: the system is out of processes or memory for now.
        m_outcome = TRunOutcome::Failure(
            "The encoder could not be started: " + platform::SystemErrorMessage(error.code().value()) + ".");
    } catch (const std::exception& error) {
        // A name that can no longer be made, or a catalogue entry lacking a part, fails this row only.
        m_outcome = TRunOutcome::Failure(error.what());
    }
    m_running = false;
    m_work.reset();
    return false;
}

void TRowConversion::Prepare(const TRowRequest& row)
{
    m_task = EncoderTaskFor(row.FileName, row.FormatIndex, row.Path, m_settings.Catalogue, m_settings.ProgramFolder);
    m_task.Choices = row.Choices;
    m_formatIndex = row.FormatIndex;
    m_output = m_task.WantedOutput();
    // A pipe or a device would never end, and the demuxer would wait on it for good.
    if (!platform::IsRegularFile(m_task.Source))
        throw ETaskRefused(TRunOutcome::Failure("The source is not a plain file."));
    // The naming rule refuses a name that no system call could take as it stands, before anything is made.
    TOverwriteManager::FirstFree(m_output, [](const std::string&) { return false; });
    try {
        m_source = ProbeMedia(m_task.Source);
    } catch (const EProbeError& error) {
        throw ETaskRefused(TRunOutcome::Unreadable(error.Message()));
    }
    m_format = FormatStreamsOf(m_task.Params);
    if (std::optional<std::string> refusal = SourceRefusal(m_source, m_format))
        throw ETaskRefused(TRunOutcome::Failure(*refusal));
    if (std::optional<double> length = m_source.Length(m_format.KeepsPicture, m_format.KeepsSound))
        m_report.SetDuration(*length);

    const TEncoderPlan plan = PlanEncoding(m_task, m_source);
    m_notes = plan.Notes;
    int error = 0;
    if (!platform::MakeFolders(m_task.OutputFolder, error))
        throw ETaskRefused(TRunOutcome::Failure("The output folder \"" + m_task.OutputFolder
            + "\" cannot be made: " + platform::SystemErrorMessage(error) + "."));
    // What dead runs left is cleared once per folder; a folder of many files is not read again for every row.
    if (m_swept.insert(m_task.OutputFolder).second)
        platform::RemoveAbandonedWorkFolders(m_task.OutputFolder);
    // A step that encodes a piece for a cluster job writes into the folder every step shares, and publishes nothing.
    const bool piecesOnly = m_settings.SplitStep && *m_settings.SplitStep > 0;
    m_work = std::make_unique<platform::TWorkFolder>();
    if (!piecesOnly && !m_work->Make(m_task.OutputFolder, error))
        throw ETaskRefused(TRunOutcome::Failure("Nothing can be written into the output folder \"" + m_task.OutputFolder
            + "\": " + platform::SystemErrorMessage(error) + "."));
    m_workName = WorkName(m_task.OutputName);
    if (PrepareSplit(plan))
        return;
    m_runner->SetArguments(
        EncoderArguments(m_settings.Encoder, m_task.Source, plan.Arguments, m_work->Path() + m_workName));
}

int TRowConversion::PiecesWanted() const
{
    if (m_settings.SplitStep)
        return m_settings.Split;
    if (m_settings.Split != SplitAuto)
        return m_settings.Split;
    const std::optional<double> length = m_source.Length(true, false);
    if (!length || *length < SplitAutoMinimumSeconds)
        return 1;
    return 1 + (FreeEncoders ? FreeEncoders() : 0);
}

// Sets the row up to be converted in pieces, when it is to be and can be; false when it is converted whole.
bool TRowConversion::PrepareSplit(const TEncoderPlan& plan)
{
    const int pieces = PiecesWanted();
    if (pieces < 2 && !m_settings.SplitStep)
        return false;
    if (std::optional<std::string> refusal = SplitRefusal(m_task, plan)) {
        if (!m_settings.SplitStep)
            return false;
        throw ETaskRefused(TRunOutcome::Failure("This row cannot be converted in pieces: " + *refusal + "."));
    }
    TSplitCuts cuts;
    try {
        cuts = FindSplitCuts(m_task.Source, plan.PictureTrack, pieces);
    } catch (const EProbeError& error) {
        throw ETaskRefused(TRunOutcome::Unreadable(error.Message()));
    }
    if (cuts.Pieces() < 2 && !m_settings.SplitStep)
        return false;
    TSplitRun::TWork work;
    std::string folder = m_work->Path();
    if (m_settings.SplitStep) {
        folder = SharedPiecesFolder(m_task);
        int error = 0;
        if (!platform::MakeFolders(folder, error))
            throw ETaskRefused(TRunOutcome::Failure("The folder of the pieces \"" + folder
                + "\" cannot be made: " + platform::SystemErrorMessage(error) + "."));
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
        for (std::size_t step = 0; step <= cuts.Pieces(); ++step)
            work.Steps.push_back(step);
    }
    work.Output = m_work->Path() + m_workName;
    const std::optional<std::size_t> pieceStep
        = !work.Join && !work.Steps.empty() ? std::optional(work.Steps.front()) : std::nullopt;
    const double seconds = m_source.Length(true, false).value_or(0);
    m_split = std::make_unique<TSplitRun>(
        TSplitSteps(m_settings.Encoder, m_task, plan, std::move(cuts), folder), std::move(work), seconds);
    m_split->OnLine = [this] {
        if (OnLine)
            OnLine(*this);
    };
    m_split->OnEncoderFreed = [this] {
        if (OnEncoderFreed)
            OnEncoderFreed(*this);
    };
    m_split->OnEnded = [this](const TRunOutcome& outcome) { SplitEnded(outcome); };
    // A step of a cluster job makes its piece, not the output.
    if (pieceStep)
        m_output = *pieceStep < m_split->Steps().Pieces() ? m_split->Steps().PiecePath(*pieceStep)
                                                          : m_split->Steps().RestPath();
    return true;
}

void TRowConversion::Stop(const TRunOutcome& why)
{
    if (!m_running)
        return;
    m_stopped = why;
    if (m_split)
        m_split->Stop();
    else
        m_runner->Stop();
}

void TRowConversion::SplitEnded(TRunOutcome outcome)
{
    if (!m_running)
        return;
    m_running = false;
    if (!outcome.Succeeded() && m_stopped)
        outcome = *m_stopped;
    m_outcome = Finish(outcome);
    // A cluster job's pieces go once the row they make is published.
    if (m_settings.SplitStep == 0 && m_outcome.Succeeded()) {
        int error = 0;
        platform::RemoveFolder(m_split->Steps().Folder(), error);
    }
    if (OnEnded && !m_starting)
        OnEnded(*this);
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

void TRowConversion::Ended(uint32_t exitCode)
{
    if (!m_running)
        return;
    m_running = false;
    TRunOutcome outcome = TRunOutcome::OfRun(m_runner->Status(), exitCode, m_runner->ExitSignal(), m_report);
    if (!outcome.Succeeded() && m_stopped)
        outcome = *m_stopped;
    if (m_runner->Status() >= rsPreparingFailed && m_runner->Status() <= rsProcessFailed) {
        m_startFailure = m_runner->StartFailure();
        m_startFailureKind = m_runner->StartFailureKind();
    }
    m_outcome = Finish(outcome);
    if (OnEnded)
        OnEnded(*this);
}

// Checks a run the encoder called done and gives its file its name; whatever is left in the private folder goes.
TRunOutcome TRowConversion::Finish(TRunOutcome outcome)
{
    // A piece of a cluster job is checked by its own step and joined by another.
    if (m_work->Path().empty()) {
        m_work.reset();
        return outcome;
    }
    if (outcome.Succeeded()) {
        if (std::optional<std::string> fault = OutputFault(m_source, m_format, m_work->Path() + m_workName))
            outcome = TRunOutcome::Failure(*fault);
    }
    if (outcome.Succeeded()) {
        try {
            platform::SetFileNote(
                m_work->Path() + m_workName, RowNote, RowMark(m_task.Source, m_formatIndex, m_task.Choices));
            if (int error = 0; !platform::CopyModificationTime(m_task.Source, m_work->Path() + m_workName, error))
                throw Exception("The finished file cannot be given the source's date: "
                    + platform::SystemErrorMessage(error) + ".");
            m_output = Publish();
        } catch (const std::exception& error) {
            outcome = TRunOutcome::Failure(error.what());
        }
    }
    const std::string workPath = m_work->Path();
    int error = 0;
    if (!m_work->Remove(error) && !outcome.Succeeded())
        outcome.OutputNotRemoved(workPath, platform::SystemErrorMessage(error));
    m_work.reset();
    return outcome;
}

// Moves the checked file to the first name by the naming rule where nothing at all stands.
std::string TRowConversion::Publish()
{
    return TOverwriteManager::FirstFree(m_task.WantedOutput(), [&](const std::string& candidate) {
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
    return platform::FileNote(path, RowNote) == RowMark(source, formatIndex, choices) && platform::FileSize(path) > 0;
}

std::optional<std::string> FinishedOutput(const TEncoderTask& task, int formatIndex)
{
    std::optional<std::string> found;
    TOverwriteManager::FirstFree(task.WantedOutput(), [&](const std::string& candidate) {
        if (OutputDone(candidate, task.Source, formatIndex, task.Choices))
            found = candidate;
        return !found && platform::FileExists(candidate);
    });
    return found;
}
