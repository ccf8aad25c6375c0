#include "engine/row/RowPreparation.h"

#include "engine/media/OutputCheck.h"
#include "engine/overwriteManager.h"
#include "engine/plan/FormatParams.h"
#include "engine/split/SplitPlan.h"
#include "platform/HeldFile.h"

#include <cerrno>

namespace
{

int PiecesWanted(const TPreparedRow& row, const TConversionSettings& settings, int freeEncoders)
{
    if (settings.SplitStep || settings.Split != SplitAuto)
        return settings.Split;
    const std::optional<double> length = row.Source.Length({ row.Plan.PictureTrack });
    if (!length || *length < SplitAutoMinimumSeconds)
        return 1;
    return 1 + freeEncoders;
}

// The cuts of a row to be converted in pieces, when it is to be and can be; none converts it whole. A cluster
// step, which must make its piece, refuses a row that cannot be cut. The source is read through its held
// descriptor.
std::optional<TSplitCuts> CutsFor(const TPreparedRow& row, const platform::THeldFile& source,
    const TConversionSettings& settings, int freeEncoders, const std::atomic<bool>& stop)
{
    const int pieces = PiecesWanted(row, settings, freeEncoders);
    if (pieces < 2 && !settings.SplitStep)
        return std::nullopt;
    if (std::optional<std::string> refusal = SplitRefusal(row.Task, row.Plan)) {
        if (!settings.SplitStep)
            return std::nullopt;
        throw ETaskRefused(TRunOutcome::Failure("This row cannot be converted in pieces: " + *refusal + "."));
    }
    TSplitCuts cuts;
    try {
        cuts = FindSplitCuts(source.HeldPath(), row.Source.Container, row.Plan.PictureTrack, pieces, &stop);
    } catch (const EProbeError& error) {
        throw ETaskRefused(TRunOutcome::Unreadable(error.Message()));
    }
    if (cuts.Pieces() < 2 && !settings.SplitStep)
        return std::nullopt;
    return cuts;
}

} // namespace

std::optional<double> TPreparedRow::KeptLength() const
{
    std::vector<int> kept;
    for (const TMappedTrack& track : Plan.Tracks)
        if (track.Kind == TStreamKind::Video || track.Kind == TStreamKind::Audio)
            kept.push_back(track.Source);
    return Source.Length(kept);
}

TPreparedRow PrepareRow(
    const TRowRequest& row, const TConversionSettings& settings, int freeEncoders, const std::atomic<bool>& stop)
{
    TPreparedRow prepared;
    try {
        prepared.Task
            = EncoderTaskFor(row.FileName, row.FormatIndex, row.Path, settings.Catalogue, settings.ProgramFolder);
        prepared.Task.Choices = row.Choices;
        const TEncoderTask& task = prepared.Task;
        // A pipe or a device would never end, and the demuxer would wait on it for good; what is put at the
        // source's name once it is held is never read.
        platform::THeldFile held;
        if (const int error = held.Open(task.Source); error == EINVAL)
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
        if (std::optional<std::string> refusal
            = SourceRefusal(prepared.Source, TFormatParams::Of(task.Params).StreamsFor(prepared.Source)))
            throw ETaskRefused(TRunOutcome::Failure(*refusal));
        prepared.Notes = prepared.Plan.Notes;
        if (std::optional<std::string> note = UncheckedLengthNote(prepared.Source))
            prepared.Notes.push_back(*note);
        prepared.Cuts = CutsFor(prepared, held, settings, freeEncoders, stop);
    } catch (const EReadStopped&) {
        prepared.Refused = TRunOutcome::StoppedByYou();
    } catch (const ETaskRefused& refused) {
        prepared.Refused = refused.Outcome();
    } catch (const std::exception& error) {
        // A name that can no longer be made, a plan that cannot be followed or a catalogue entry lacking a part
        // fails this row only.
        prepared.Refused = TRunOutcome::Failure(error.what());
    }
    return prepared;
}
