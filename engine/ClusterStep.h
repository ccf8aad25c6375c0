#pragma once

#include "engine/RowPreparation.h"
#include "engine/SplitRun.h"

#include <memory>
#include <optional>
#include <string>

namespace platform
{
class TSharedFolder;
}

// One step of a cluster job that converts a row in pieces: the steps share a folder beside the output, named
// after the row's identity (its source's device and inode, its format, choices and number of pieces), so rows of
// two sources with one name never meet there. The first step to come writes a manifest of what the pieces are
// made of (the source as it stands, the format, the choices, the cuts and the frames between them); every step
// and the join check it, and every piece carries its stamp.
class TClusterStep
{
public:
    TClusterStep();
    ~TClusterStep();
    TClusterStep(const TClusterStep&) = delete;
    TClusterStep& operator=(const TClusterStep&) = delete;

    // Opens (makes) the row's pieces folder and writes or checks its manifest, for step (0 joins, 1 .. split
    // encode pieces, split + 1 the rest) of a row cut into split pieces. The outcome says why this step uses
    // nothing there.
    std::optional<TRunOutcome> Open(const TPreparedRow& row, int formatIndex, int step, int split);
    // The held folder, ending in '/', for this process and its children.
    std::string HeldPath() const;
    // The folder as a user finds it, ending in '/'.
    const std::string& Path() const;
    // What each piece carries of the manifest.
    const std::string& Stamp() const { return m_stamp; }
    // What this step runs of the row's steps.
    const TSplitRun::TWork& Work() const { return m_work; }
    // Removes the pieces once the row they make is published.
    void Remove();

private:
    std::optional<TRunOutcome> CheckManifest(const std::string& manifest) const;

    std::unique_ptr<platform::TSharedFolder> m_folder;
    std::string m_stamp;
    TSplitRun::TWork m_work;
};
