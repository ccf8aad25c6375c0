#pragma once

#include "engine/EncoderTask.h"
#include "engine/RowPreparation.h"
#include "engine/RunOutcome.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform
{
class TWorkFolder;
}

// What publishing a row's file came to: the outcome, and for a Done row the name its file got and its size.
struct TPublished {
    TRunOutcome Outcome = TRunOutcome::Success();
    std::string Output;
    std::optional<int64_t> Size;
};

// Where a row's encoder writes and how its file comes out: a private folder made fresh inside the output folder
// and held by its descriptor, so nobody can plant or redirect anything in it; a finished file is checked and only
// then moved to the first name where nothing stands, so no unfinished file ever stands under a real name and none
// of anyone else's is replaced; whatever a failed run made goes with the folder.
class TRowPublisher
{
public:
    TRowPublisher();
    // Removes the private folder with what is in it.
    ~TRowPublisher();
    TRowPublisher(const TRowPublisher&) = delete;
    TRowPublisher& operator=(const TRowPublisher&) = delete;

    // Makes the output folder when it is missing, clears what dead runs left in it (once per folder and program
    // run; what was left because it holds something else goes to notes) and makes the private folder. The
    // outcome says why not.
    std::optional<TRunOutcome> Open(const TEncoderTask& task, std::vector<std::string>& notes);
    bool Opened() const;
    // The held private folder, ending in '/', for this process and its children.
    std::string HeldPath() const;
    // Where the encoder writes the row's file, through the held folder.
    std::string WorkPath() const;
    // Checks the file of a run that ended with outcome, gives a checked one its name and the source's date, and
    // removes the private folder. Beside the owner's thread; a check in progress gives up once stop is set.
    TPublished Finish(const TRunOutcome& outcome, const TPreparedRow& row, int formatIndex, const std::atomic<bool>& stop);

private:
    std::string Publish(const TEncoderTask& task);

    std::unique_ptr<platform::TWorkFolder> m_work;
    std::string m_workName;
};

// True when a finished output of a row with that source, format and choices is at path: a checked file of this
// user's that this program gave its name and marked as the row's, with the size and modification time it had then.
bool OutputDone(
    const std::string& path, const std::string& source, int formatIndex, const TEncoderChoices& choices = {});
// The finished output of the row with that task (its choices too) and format, when one stands at one of the names
// the naming rule gives it (the first, the "_2" one, ...); none when the first name where nothing at all stands
// comes first. EOutputNameError when a name cannot be tested.
std::optional<std::string> FinishedOutput(const TEncoderTask& task, int formatIndex);
