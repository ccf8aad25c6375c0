#include "engine/ClusterStep.h"

#include "platform/FileIO.h"
#include "platform/FileSystem.h"
#include "platform/SharedFolder.h"

#include <cerrno>
#include <cstdio>

namespace
{

constexpr const char* ManifestName = "manifest";

// A short fingerprint of text, for names and stamps (not for secrets: the manifest it stands for is checked whole).
std::string Fingerprint(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : text)
        hash = (hash ^ byte) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

std::string Numbers(const std::vector<int64_t>& values)
{
    std::string text;
    for (int64_t value : values)
        text += (text.empty() ? "" : " ") + std::to_string(value);
    return text;
}

// Which conversion the pieces are of: what names the folder, before the cuts are known.
std::string RowIdentity(const platform::TFileIdentity& source, int formatIndex, const TEncoderChoices& choices, int split)
{
    return "source-device: " + std::to_string(source.Device) + "\nsource-inode: " + std::to_string(source.Inode)
        + "\nformat: " + std::to_string(formatIndex) + "\nchoices: " + ChoicesText(choices)
        + "\npieces: " + std::to_string(split) + "\n";
}

// The identity with what the pieces are made of: the source as it stands now and the cuts.
std::string Manifest(const std::string& identity, const platform::TFileIdentity& source, const TSplitCuts& cuts)
{
    return "Quor Reelhand pieces\n" + identity + "source-size: " + std::to_string(source.Size)
        + "\nsource-modified-ns: " + std::to_string(source.ModifiedNs) + "\ntime-base: "
        + std::to_string(cuts.TimeBaseNum) + "/" + std::to_string(cuts.TimeBaseDen) + "\ncuts: " + Numbers(cuts.Cuts)
        + "\nframes: " + Numbers(cuts.Frames) + "\n";
}

// Why a step cannot use the folder of the pieces at path, by the error that opening it gave.
std::string FolderRefusal(const std::string& path, int error)
{
    const std::string start = "The folder of the pieces \"" + path + "\" ";
    if (error == ENOTDIR)
        return start + "is not a folder (a link or a file stands at its name); this step uses nothing there.";
    if (error == EPERM)
        return start + "is another user's, or others may write into it; this step uses nothing there.";
    return start + "cannot be made: " + platform::SystemErrorMessage(error) + ".";
}

} // namespace

TClusterStep::TClusterStep() = default;

TClusterStep::~TClusterStep() = default;

std::optional<TRunOutcome> TClusterStep::Open(const TPreparedRow& row, int formatIndex, int step, int split)
{
    const TEncoderTask& task = row.Task;
    platform::TFileIdentity source;
    if (const int error = platform::IdentityOf(task.Source, source))
        return TRunOutcome::Failure("The source cannot be read: " + platform::SystemErrorMessage(error) + ".");
    const std::string identity = RowIdentity(source, formatIndex, task.Choices, split);
    // Held from here on: whoever else may write the output folder cannot redirect the pieces between steps.
    m_folder = std::make_unique<platform::TSharedFolder>();
    const std::string name = "." + task.OutputName + "." + Fingerprint(identity) + ".pieces";
    if (int error = 0; !m_folder->Open(task.OutputFolder, name, error))
        return TRunOutcome::Failure(FolderRefusal(m_folder->Path(), error));

    const std::string manifest = Manifest(identity, source, *row.Cuts);
    if (std::optional<TRunOutcome> refusal = CheckManifest(manifest))
        return refusal;
    m_stamp = Fingerprint(manifest);

    m_work.CheckPieces = true;
    m_work.Join = step == 0;
    if (!m_work.Join) {
        // The rest is the step after the last piece the count asked for, however many the keyframes allow.
        const std::size_t index = static_cast<std::size_t>(step - 1);
        if (index < row.Cuts->Pieces())
            m_work.Steps.push_back(index);
        else if (index == static_cast<std::size_t>(split))
            m_work.Steps.push_back(row.Cuts->Pieces());
    }
    return std::nullopt;
}

// The first step to come writes the manifest; every other one, on whatever node, must find its own there. One
// already there is read first, so a step that writes nothing (a join on a share turned read-only) gets as far as
// its own work.
std::optional<TRunOutcome> TClusterStep::CheckManifest(const std::string& manifest) const
{
    const std::string path = m_folder->HeldPath() + ManifestName;
    for (int tries = 0; tries < 2; ++tries) {
        platform::TFileBytes written;
        std::string reason;
        if (platform::ReadWholeFile(path, written, reason)) {
            if (written.View() == manifest)
                return std::nullopt;
            return TRunOutcome::Failure("The pieces in \"" + m_folder->Path()
                + "\" were made of the source as it stood before, or cut elsewhere: its size, time or cuts differ "
                  "from the manifest there. Remove that folder to convert the row again.");
        }
        const int error = platform::WriteNewFile(path, manifest);
        if (error == 0)
            return std::nullopt;
        if (error != EEXIST)
            return TRunOutcome::Failure("The manifest of the pieces cannot be written into \"" + m_folder->Path()
                + "\": " + platform::SystemErrorMessage(error) + ".");
    }
    return TRunOutcome::Failure("The manifest of the pieces in \"" + m_folder->Path() + "\" cannot be read.");
}

std::string TClusterStep::HeldPath() const
{
    return m_folder->HeldPath();
}

const std::string& TClusterStep::Path() const
{
    return m_folder->Path();
}

void TClusterStep::Remove()
{
    int error = 0;
    m_folder->Remove(error);
}
