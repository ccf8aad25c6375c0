#include "engine/row/RowPublisher.h"

#include "engine/media/OutputCheck.h"
#include "engine/row/SourceMark.h"
#include "engine/overwriteManager.h"
#include "platform/FileSystem.h"
#include "platform/WorkFolder.h"

#include <cerrno>
#include <mutex>
#include <set>

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

} // namespace

TRowPublisher::TRowPublisher() = default;

TRowPublisher::~TRowPublisher() = default;

std::optional<TRunOutcome> TRowPublisher::Open(const TEncoderTask& task, std::vector<std::string>& notes)
{
    int error = 0;
    if (!platform::MakeFolders(task.OutputFolder, error))
        return TRunOutcome::Failure("The output folder \"" + task.OutputFolder
            + "\" cannot be made: " + platform::SystemErrorMessage(error) + ".");
    // What dead runs left is cleared once per folder; a folder of many files is not read again for every row.
    const std::vector<std::string> swept = SweepOnce(task.OutputFolder);
    notes.insert(notes.begin(), swept.begin(), swept.end());
    m_workName = WorkName(task.OutputName);
    m_work = std::make_unique<platform::TWorkFolder>();
    if (!m_work->Make(task.OutputFolder, error)) {
        m_work.reset();
        return TRunOutcome::Failure("Nothing can be written into the output folder \"" + task.OutputFolder
            + "\": " + platform::SystemErrorMessage(error) + ".");
    }
    return std::nullopt;
}

bool TRowPublisher::Opened() const
{
    return m_work != nullptr;
}

std::string TRowPublisher::HeldPath() const
{
    return m_work->HeldPath();
}

std::string TRowPublisher::WorkPath() const
{
    return m_work->HeldPath() + m_workName;
}

TPublished TRowPublisher::Finish(
    const TRunOutcome& ran, const TPreparedRow& row, int formatIndex, const std::atomic<bool>& stop)
{
    TPublished published { ran, {}, {} };
    TRunOutcome& outcome = published.Outcome;
    const std::string made = WorkPath();
    try {
        if (outcome.Succeeded())
            if (std::optional<std::string> fault = OutputFault(row.Source, row.Plan.Tracks, made, &stop))
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
            const TEncoderTask& task = row.Task;
            const auto mark = [&](const platform::TFileStamp& stamp) {
                return RowMark(task.Source, formatIndex, task.Choices, stamp);
            };
            if (!m_work->Seal(m_workName, task.Source, RowNote, mark, error))
                throw Exception("The finished file cannot be given the source's date: "
                    + platform::SystemErrorMessage(error) + ".");
            if (const int64_t size = platform::FileSize(made); size >= 0)
                published.Size = size;
            published.Output = Publish(task);
        } catch (const std::exception& error) {
            outcome = TRunOutcome::Failure(error.what());
            published.Size.reset();
        }
    }
    const std::string workPath = m_work->Path();
    int error = 0;
    if (!m_work->Remove(error) && !outcome.Succeeded())
        outcome.OutputNotRemoved(workPath, platform::SystemErrorMessage(error));
    m_work.reset();
    return published;
}

// Moves the checked file to the first name by the naming rule where nothing at all stands.
std::string TRowPublisher::Publish(const TEncoderTask& task)
{
    return TOverwriteManager::FirstFree(task.WantedOutput(), [&](const std::string& candidate) {
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
