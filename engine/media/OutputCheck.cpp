#include "engine/media/OutputCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

// How many frames or audio frames a track may differ by: an encoder's delay and padding, and where a changed frame
// rate puts the last frame.
constexpr double FramesOff = 3;
constexpr int PacketsOff = 3;
// A track that tells no step of its own (subtitles) is measured in the frames of 25 a second.
constexpr double UsualStep = 1.0 / 25;

std::string SecondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

// A track of a picture or sound that nothing can decode, said so; empty when there is none. A refusal for a
// lack of picture or sound names it, since the source does have such a track.
std::string UndecodableTrack(const TMediaInfo& source)
{
    for (std::size_t i = 0; i < source.Streams.size(); ++i) {
        const TStreamInfo& stream = source.Streams[i];
        if ((stream.Kind == TStreamKind::Video || stream.Kind == TStreamKind::Audio) && !stream.Undecodable.empty())
            return " Track " + std::to_string(i + 1) + " (" + stream.Codec
                + ") cannot be decoded: " + stream.Undecodable + ".";
    }
    return "";
}

std::optional<std::string> Refusal(const TMediaInfo& source, const TFormatStreams& format)
{
    if ((format.NeedsSound || !format.KeepsPicture) && !source.HasSound())
        return "The source has no sound track; the audio formats need one.";
    if ((format.NeedsPicture || !format.KeepsSound) && !source.HasPicture())
        return "The source has no picture; this format needs one.";
    if (!(format.KeepsPicture && source.HasPicture()) && !(format.KeepsSound && source.HasSound()))
        return "The source has no picture and no sound that this format could keep.";
    return std::nullopt;
}

bool Moving(const TStreamInfo& stream)
{
    return !(stream.Kind == TStreamKind::Video && stream.AttachedPicture);
}

// The tracks of the kind that carry time, in the file's order: a picture's cover and attached files have none.
std::vector<const TStreamInfo*> TimedOf(const TMediaInfo& media, TStreamKind kind)
{
    std::vector<const TStreamInfo*> found;
    for (const TStreamInfo& stream : media.Streams)
        // A track nothing can decode is as good as missing.
        if (stream.Kind == kind && Moving(stream) && stream.Undecodable.empty())
            found.push_back(&stream);
    return found;
}

// "picture", "sound track 2", "subtitles": what a user calls the output's track.
std::string NameOf(TStreamKind kind, std::size_t nth, std::size_t of)
{
    const std::string name = kind == TStreamKind::Video ? "picture"
        : kind == TStreamKind::Audio                    ? "sound"
                                                        : "subtitles";
    return of > 1 ? name + " track " + std::to_string(nth + 1) : name;
}

std::string Missing(TStreamKind kind, std::size_t have, std::size_t wanted)
{
    if (have == 0)
        return kind == TStreamKind::Video ? "The output has no picture; the source has one."
            : kind == TStreamKind::Audio  ? "The output has no sound; the source has some."
                                          : "The output has no subtitles; the source has some.";
    return "The output has " + std::to_string(have) + " of the " + std::to_string(wanted) + " " + NameOf(kind, 0, 1)
        + " tracks it should have.";
}

// A kept track of the source with the output's track the encoder made of it.
struct TTrackPair {
    const TStreamInfo* Wanted;
    const TStreamInfo* Got;
    bool Copied;
    bool KeepsFrames;
    std::string Name;
};

// Where a source track begins as the output should have it: at its first packet, or, where the source begins
// between key frames, at its first key frame, since nothing can decode the frames before it and no copy keeps them.
struct TView {
    bool FromKey = false;

    double Start(const TStreamInfo& stream) const
    {
        return FromKey && stream.KeyStart ? *stream.KeyStart : stream.Start.value_or(0);
    }
    int64_t Packets(const TStreamInfo& stream) const
    {
        return FromKey && stream.KeyStart ? stream.Packets - stream.BeforeKey : stream.Packets;
    }
};

bool Timed(const TStreamInfo& stream)
{
    return stream.Kind != TStreamKind::Subtitle && stream.Start && stream.End;
}

// Where the first of the picture and sound tracks begins: each file's tracks are placed from there, since an
// encoder may move the file's times as a whole.
std::optional<double> Origin(const std::vector<TTrackPair>& pairs, bool wanted, const TView& view)
{
    std::optional<double> first;
    for (const TTrackPair& pair : pairs) {
        const TStreamInfo& stream = wanted ? *pair.Wanted : *pair.Got;
        if (!Timed(stream))
            continue;
        const double at = wanted ? view.Start(stream) : *stream.Start;
        first = std::min(first.value_or(at), at);
    }
    return first;
}

// Subtitles begin where their first cue does, which some containers move to the file's start: their length, or
// their end from the file's start, is what must match.
std::optional<std::string> SubtitleFault(const TMediaInfo& source, const TMediaInfo& made, const TTrackPair& pair,
    double slack)
{
    const TStreamInfo &wanted = *pair.Wanted, &got = *pair.Got;
    if (!wanted.Start || !wanted.End)
        return std::nullopt;
    const double wantedLength = *wanted.End - *wanted.Start, gotLength = *got.End - got.Start.value_or(0);
    const double wantedEnd = *wanted.End - source.Start.value_or(0), gotEnd = *got.End - made.Start.value_or(0);
    if (std::fabs(gotLength - wantedLength) > slack && std::fabs(gotEnd - wantedEnd) > slack)
        return "The output's " + pair.Name + " last " + SecondsText(gotLength) + "; the source's last "
            + SecondsText(wantedLength) + ".";
    return std::nullopt;
}

// fileStep: the longest step of any track the file keeps, since a container moves its tracks together, by the
// encoder's delay of the coarsest one; the length of a sound track is held to its own step.
std::optional<std::string> TrackFault(const TMediaInfo& source, const TMediaInfo& made, const TTrackPair& pair,
    const TView& view, std::optional<double> wantedOrigin, std::optional<double> gotOrigin, double fileStep)
{
    const TStreamInfo &wanted = *pair.Wanted, &got = *pair.Got;
    const std::string& name = pair.Name;
    const int64_t packets = view.Packets(wanted);
    if (pair.Copied && wanted.Packets >= 0 && std::abs(got.Packets - packets) > PacketsOff)
        return "The output's " + name + " has " + std::to_string(got.Packets) + " packets; the source's has "
            + std::to_string(packets) + ".";
    // A picture converted frame for frame: a frame doubled to fill a constant rate, or one lost, shows here.
    if (pair.KeepsFrames && wanted.Kind == TStreamKind::Video && wanted.Packets >= 0
        && std::abs(got.Packets - packets) > PacketsOff)
        return "The output's " + name + " has " + std::to_string(got.Packets) + " frames; the source's has "
            + std::to_string(packets) + ".";
    if (source.TimesGuessed)
        return std::nullopt;
    if (!got.End)
        return "The output's " + name + " holds nothing.";
    const double step = std::max({ wanted.Step, got.Step, wanted.Kind == TStreamKind::Audio ? 0.0 : UsualStep });
    const double slack = FramesOff * std::max(step, 0.001);
    if (wanted.Kind == TStreamKind::Subtitle) {
        if (std::optional<std::string> fault
            = SubtitleFault(source, made, pair, FramesOff * std::max(step, fileStep)))
            return fault;
    } else if (Timed(wanted) && got.Start && wantedOrigin && gotOrigin) {
        const double wantedAt = view.Start(wanted) - *wantedOrigin, gotAt = *got.Start - *gotOrigin;
        if (std::fabs(gotAt - wantedAt) > FramesOff * std::max(step, fileStep))
            return "The output's " + name + " begins at " + SecondsText(gotAt) + "; the source's begins at "
                + SecondsText(wantedAt) + ".";
        // The encoder fills a picture out to where its file's coarsest track ends; sound is its samples alone.
        const double lengthSlack
            = wanted.Kind == TStreamKind::Audio ? slack : FramesOff * std::max(step, fileStep);
        const double wantedLength = *wanted.End - view.Start(wanted), gotLength = *got.End - *got.Start;
        if (std::fabs(gotLength - wantedLength) > lengthSlack)
            return "The output's " + name + " lasts " + SecondsText(gotLength) + "; the source's lasts "
                + SecondsText(wantedLength) + ".";
    }
    // A picture without an index of every packet may have pauses the check cannot know of, and Theora writes no
    // packet for a frame that repeats the one before; sound has no pauses.
    const std::optional<double> allowed = got.Codec == "theora" ? std::nullopt
        : wanted.LongestGap                                     ? wanted.LongestGap
        : wanted.Kind == TStreamKind::Audio                     ? std::optional(0.0)
                                                                : std::nullopt;
    if (wanted.Kind != TStreamKind::Subtitle && allowed && got.LongestGap
        && *got.LongestGap > *allowed + FramesOff * std::max(step, fileStep))
        return "The output's " + name + " breaks off for " + SecondsText(*got.LongestGap) + " at "
            + SecondsText(got.GapAt - made.Start.value_or(0)) + ".";
    return std::nullopt;
}

std::optional<std::string> PairsFault(
    const TMediaInfo& source, const TMediaInfo& made, const std::vector<TTrackPair>& pairs, const TView& view,
    double fileStep)
{
    const std::optional<double> wantedOrigin = Origin(pairs, true, view), gotOrigin = Origin(pairs, false, view);
    for (const TTrackPair& pair : pairs)
        if (std::optional<std::string> fault
            = TrackFault(source, made, pair, view, wantedOrigin, gotOrigin, fileStep))
            return fault;
    return std::nullopt;
}

} // namespace

std::optional<std::string> SourceRefusal(const TMediaInfo& source, const TFormatStreams& format)
{
    std::optional<std::string> refusal = Refusal(source, format);
    if (refusal)
        *refusal += UndecodableTrack(source);
    return refusal;
}

std::optional<std::string> SourceFault(const TMediaInfo& source)
{
    const std::optional<double> end = source.PacketsEnd();
    if (!end || !source.Told || source.TimesGuessed)
        return std::nullopt;
    double step = UsualStep;
    for (const TStreamInfo& stream : source.Streams)
        step = std::max(step, stream.Step);
    if (*end >= *source.Told - FramesOff * step)
        return std::nullopt;
    return "The source ends at " + SecondsText(*end) + ", although it says it lasts " + SecondsText(*source.Told)
        + ": it may be cut short or still downloading.";
}

std::optional<std::string> UncheckedLengthNote(const TMediaInfo& source)
{
    if (source.Unindexed)
        return "The source has no index, as a recording that was cut off has none: its length is measured from its "
               "packets, not from what its header guesses.";
    if (!source.TimesGuessed)
        return std::nullopt;
    return "The source holds no times of its own, so the output's length is not compared with a guess.";
}

std::optional<std::string> OutputFault(
    const TMediaInfo& source, const std::vector<TMappedTrack>& tracks, const std::string& output, const TStopFlag* stop)
{
    TMediaInfo made;
    try {
        made = ProbeMedia(output, TProbeDepth::Packets, stop);
    } catch (const EProbeError& error) {
        return "The output cannot be read back (" + error.Message() + ").";
    }
    double fileStep = 0;
    for (const TMappedTrack& track : tracks)
        fileStep = std::max(fileStep, source.Streams[track.Source].Step);
    for (const TStreamInfo& stream : made.Streams)
        fileStep = std::max(fileStep, stream.Step);
    std::vector<TTrackPair> pairs;
    for (TStreamKind kind : { TStreamKind::Video, TStreamKind::Audio, TStreamKind::Subtitle }) {
        std::vector<const TMappedTrack*> mapped;
        for (const TMappedTrack& track : tracks)
            if (track.Kind == kind && Moving(source.Streams[track.Source]))
                mapped.push_back(&track);
        const std::vector<const TStreamInfo*> found = TimedOf(made, kind);
        if (found.size() < mapped.size())
            return Missing(kind, found.size(), mapped.size());
        for (std::size_t i = 0; i < mapped.size(); ++i)
            pairs.push_back({ &source.Streams[mapped[i]->Source], found[i], mapped[i]->Copied, mapped[i]->KeepsFrames,
                NameOf(kind, i, mapped.size()) });
    }
    const std::optional<std::string> fault = PairsFault(source, made, pairs, TView {}, fileStep);
    const bool betweenKeys = std::any_of(
        pairs.begin(), pairs.end(), [](const TTrackPair& pair) { return pair.Wanted->KeyStart.has_value(); });
    if (fault && (!betweenKeys || PairsFault(source, made, pairs, TView { true }, fileStep)))
        return fault;
    if (!made.ReadError.empty())
        return "The output cannot be read to its end (" + made.ReadError + ").";
    return std::nullopt;
}
