#include "engine/OutputCheck.h"

#include "engine/DosCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

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

} // namespace

TFormatStreams FormatStreamsOf(const std::string& params)
{
    TFormatStreams streams;
    bool mapped = false, mapsPicture = false, mapsSound = false;
    const std::vector<std::string> words = SplitCommandLine(params);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "-vn")
            streams.KeepsPicture = false;
        else if (words[i] == "-an")
            streams.KeepsSound = false;
        if (words[i] != "-map" || i + 1 == words.size())
            continue;
        const std::string& map = words[++i];
        const bool optional = map.ends_with('?');
        const bool all = map.find(':') == std::string::npos;
        const bool picture = all || map.find(":v") != std::string::npos;
        const bool sound = all || map.find(":a") != std::string::npos;
        mapped = true;
        mapsPicture = mapsPicture || picture;
        mapsSound = mapsSound || sound;
        streams.NeedsPicture = streams.NeedsPicture || (picture && !all && !optional);
        streams.NeedsSound = streams.NeedsSound || (sound && !all && !optional);
    }
    if (mapped) {
        streams.KeepsPicture = streams.KeepsPicture && mapsPicture;
        streams.KeepsSound = streams.KeepsSound && mapsSound;
    }
    return streams;
}

std::optional<std::string> SourceRefusal(const TMediaInfo& source, const TFormatStreams& format)
{
    std::optional<std::string> refusal = Refusal(source, format);
    if (refusal)
        *refusal += UndecodableTrack(source);
    return refusal;
}

std::optional<std::string> OutputFault(
    const TMediaInfo& source, const TFormatStreams& format, const std::string& output)
{
    TMediaInfo made;
    try {
        made = ProbeMedia(output);
    } catch (const EProbeError& error) {
        return "The output cannot be read back (" + error.Message() + ").";
    }
    const bool picture = format.KeepsPicture && source.HasPicture();
    const bool sound = format.KeepsSound && source.HasSound();
    if (picture && !made.HasPicture())
        return std::string("The output has no picture; the source has one.");
    if (sound && !made.HasSound())
        return std::string("The output has no sound; the source has some.");
    const std::optional<double> wanted = source.Length(picture, sound);
    const std::optional<double> got = made.Length(picture, sound);
    if (wanted && got && std::fabs(*got - *wanted) > std::max(0.5, 0.02 * *wanted))
        return "The output lasts " + SecondsText(*got) + "; the source lasts " + SecondsText(*wanted) + ".";
    return std::nullopt;
}
