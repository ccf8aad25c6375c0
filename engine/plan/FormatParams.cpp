#include "engine/plan/FormatParams.h"

#include "engine/DosCommand.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace
{

std::optional<double> RateOf(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || value <= 0)
        return std::nullopt;
    const std::string unit = end;
    return unit == "k" ? value * 1000
        : unit == "M"  ? value * 1000000
        : unit.empty() ? std::optional(value)
                       : std::nullopt;
}

bool Digits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool OfKind(const TStreamInfo& stream, char letter)
{
    switch (letter) {
    case 'v':
        return stream.Kind == TStreamKind::Video;
    case 'V':
        return stream.Kind == TStreamKind::Video && !stream.AttachedPicture;
    case 'a':
        return stream.Kind == TStreamKind::Audio;
    case 's':
        return stream.Kind == TStreamKind::Subtitle;
    case 'd':
        return stream.Kind == TStreamKind::Data;
    case 't':
        return stream.Kind == TStreamKind::Attachment;
    default:
        return false;
    }
}

// A map's stream specifier without its input and its '?': the source's tracks it names, in the source's order.
// Specifiers this reader does not know name none.
std::vector<int> Named(const std::string& specifier, const TMediaInfo& source)
{
    std::vector<int> named;
    const int count = static_cast<int>(source.Streams.size());
    if (specifier.empty()) {
        for (int i = 0; i < count; ++i)
            named.push_back(i);
    } else if (Digits(specifier)) {
        if (const int index = std::atoi(specifier.c_str()); index < count)
            named.push_back(index);
    } else if (specifier.size() == 1 || (specifier.size() > 2 && specifier[1] == ':' && Digits(specifier.substr(2)))) {
        const int wanted = specifier.size() == 1 ? -1 : std::atoi(specifier.c_str() + 2);
        for (int i = 0, seen = 0; i < count; ++i)
            if (OfKind(source.Streams[i], specifier[0]) && (wanted < 0 || seen++ == wanted))
                named.push_back(i);
    }
    return named;
}

struct TMap {
    bool Negative = false;
    bool Optional = false;
    bool OtherInput = false;
    std::string Specifier;
};

TMap MapOf(std::string value)
{
    TMap map;
    map.Negative = value.starts_with('-');
    if (map.Negative)
        value.erase(0, 1);
    map.Optional = value.ends_with('?');
    if (map.Optional)
        value.pop_back();
    const std::size_t colon = value.find(':');
    map.OtherInput = value.substr(0, colon) != "0";
    map.Specifier = colon == std::string::npos ? "" : value.substr(colon + 1);
    return map;
}

char LetterOf(TStreamKind kind)
{
    switch (kind) {
    case TStreamKind::Video:
        return 'v';
    case TStreamKind::Audio:
        return 'a';
    case TStreamKind::Subtitle:
        return 's';
    case TStreamKind::Data:
        return 'd';
    case TStreamKind::Attachment:
        return 't';
    default:
        return '?';
    }
}

// The specifier of a codec option ("-c:a:1" gives "a:1", "-vcodec" gives "v"); none when the word is no codec option.
// The stream specifier of an option of that name ("-fps_mode:v:0" gives "v:0", "-fps_mode" the empty one); none
// for another word.
std::optional<std::string> SpecifierOf(const std::string& word, const std::string& option)
{
    if (word == option)
        return std::string();
    if (word.starts_with(option + ":"))
        return word.substr(option.size() + 1);
    return std::nullopt;
}

std::optional<std::string> CodecSpecifier(const std::string& word)
{
    if (word == "-vcodec" || word == "-acodec" || word == "-scodec")
        return std::string(1, word[1]);
    for (const char* name : { "-c", "-codec" }) {
        const std::string prefix = name;
        if (word == prefix)
            return std::string();
        if (word.starts_with(prefix + ":"))
            return word.substr(prefix.size() + 1);
    }
    return std::nullopt;
}

// Whether an output-side specifier names the output's track at position index, the nth of its kind.
bool Names(const std::string& specifier, const TStreamInfo& stream, int index, int nth)
{
    if (specifier.empty())
        return true;
    if (Digits(specifier))
        return std::atoi(specifier.c_str()) == index;
    if (!OfKind(stream, specifier[0]))
        return false;
    return specifier.size() == 1
        || (specifier.size() > 2 && specifier[1] == ':' && std::atoi(specifier.c_str() + 2) == nth);
}

// The encoder's own pick without maps: the largest picture and the sound with the most channels (a default track
// first), and the first subtitles of the kind the container's own subtitle codec is, each only where the container
// takes such a track.
std::vector<int> DefaultPick(const TMediaInfo& source, const AVOutputFormat* muxer)
{
    std::vector<int> picked;
    auto best = [&](TStreamKind kind, auto score) {
        int chosen = -1;
        long long top = -1;
        for (int i = 0; i < static_cast<int>(source.Streams.size()); ++i)
            if (source.Streams[i].Kind == kind && score(source.Streams[i]) > top) {
                top = score(source.Streams[i]);
                chosen = i;
            }
        if (chosen >= 0)
            picked.push_back(chosen);
    };
    const long long preferred = 5000000;
    if (!muxer || muxer->video_codec != AV_CODEC_ID_NONE)
        best(TStreamKind::Video, [&](const TStreamInfo& s) {
            return s.AttachedPicture ? 1 : static_cast<long long>(s.Width) * s.Height + (s.Default ? preferred : 0);
        });
    if (!muxer || muxer->audio_codec != AV_CODEC_ID_NONE)
        best(TStreamKind::Audio, [&](const TStreamInfo& s) { return s.Channels + (s.Default ? preferred : 0LL); });
    if (muxer && muxer->subtitle_codec != AV_CODEC_ID_NONE) {
        const AVCodecDescriptor* own = avcodec_descriptor_get(muxer->subtitle_codec);
        const bool text = own && (own->props & AV_CODEC_PROP_TEXT_SUB);
        best(TStreamKind::Subtitle, [&](const TStreamInfo& s) { return s.TextSubtitle == text ? 1 : -1; });
        if (!picked.empty() && source.Streams[picked.back()].Kind == TStreamKind::Subtitle
            && source.Streams[picked.back()].TextSubtitle != text)
            picked.pop_back();
    }
    return picked;
}

} // namespace

TFormatParams::TFormatParams(const std::vector<std::string>& words)
    : m_words(words)
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "-filter_complex" || word == "-lavfi")
            m_complexFilter = word;
        m_noPicture = m_noPicture || word == "-vn";
        m_noSound = m_noSound || word == "-an";
        m_noSubtitles = m_noSubtitles || word == "-sn";
        const bool takesValue = i + 1 < words.size();
        if (takesValue && word == "-map") {
            m_maps.push_back(word);
            m_maps.push_back(words[++i]);
        } else if (takesValue && (word == "-vf" || word == "-filter:v")) {
            m_pictureFilter = words[++i];
        } else if (takesValue && (word == "-tag:v" || word == "-vtag")) {
            m_pictureTag = words[++i];
        } else if (takesValue && (word == "-af" || word == "-filter:a")) {
            m_soundFilter = words[++i];
        } else {
            if (takesValue && word == "-b:a")
                m_soundRate = RateOf(words[i + 1]);
            if (takesValue && word == "-ac")
                m_channels = std::atoi(words[i + 1].c_str());
            if (takesValue && word == "-f")
                m_muxer = words[i + 1];
            m_general.push_back(word);
        }
    }
}

TFormatParams TFormatParams::Of(const std::string& params)
{
    return TFormatParams(SplitCommandLine(params));
}

TFormatStreams TFormatParams::StreamsFor(const TMediaInfo& source) const
{
    TFormatStreams streams;
    bool mapsPicture = false, mapsSound = false;
    for (std::size_t i = 1; i < m_maps.size(); i += 2) {
        const TMap map = MapOf(m_maps[i]);
        if (map.Negative || map.OtherInput)
            continue;
        bool picture = map.Specifier.empty(), sound = picture;
        if (Digits(map.Specifier)) {
            for (int index : Named(map.Specifier, source)) {
                picture = source.Streams[index].Kind == TStreamKind::Video;
                sound = source.Streams[index].Kind == TStreamKind::Audio;
            }
        } else if (!map.Specifier.empty()) {
            picture = map.Specifier[0] == 'v' || map.Specifier[0] == 'V';
            sound = map.Specifier[0] == 'a';
        }
        mapsPicture = mapsPicture || picture;
        mapsSound = mapsSound || sound;
        streams.NeedsPicture = streams.NeedsPicture || (picture && !map.Specifier.empty() && !map.Optional);
        streams.NeedsSound = streams.NeedsSound || (sound && !map.Specifier.empty() && !map.Optional);
    }
    const bool mapped = !m_maps.empty();
    streams.KeepsPicture = !m_noPicture && (!mapped || mapsPicture);
    streams.KeepsSound = !m_noSound && (!mapped || mapsSound);
    return streams;
}

std::vector<TMappedTrack> TFormatParams::TracksOf(const TMediaInfo& source, const std::string& outputName) const
{
    std::vector<int> picked;
    if (m_maps.empty())
        picked = DefaultPick(
            source, av_guess_format(m_muxer.empty() ? nullptr : m_muxer.c_str(), outputName.c_str(), nullptr));
    for (std::size_t i = 1; i < m_maps.size(); i += 2) {
        const TMap map = MapOf(m_maps[i]);
        if (map.OtherInput)
            continue;
        const std::vector<int> named = Named(map.Specifier, source);
        if (!map.Negative)
            picked.insert(picked.end(), named.begin(), named.end());
        else
            std::erase_if(
                picked, [&](int index) { return std::find(named.begin(), named.end(), index) != named.end(); });
    }
    std::vector<TMappedTrack> tracks;
    for (int index : picked) {
        const TStreamKind kind = source.Streams[index].Kind;
        if ((kind == TStreamKind::Video && m_noPicture) || (kind == TStreamKind::Audio && m_noSound)
            || (kind == TStreamKind::Subtitle && m_noSubtitles))
            continue;
        tracks.push_back({ index, kind, false });
    }
    // The encoder takes the last codec option that names a track.
    std::vector<int> nth(tracks.size());
    for (std::size_t t = 0; t < tracks.size(); ++t)
        nth[t] = static_cast<int>(std::count_if(tracks.begin(), tracks.begin() + static_cast<long>(t),
            [&](const TMappedTrack& before) { return LetterOf(before.Kind) == LetterOf(tracks[t].Kind); }));
    for (std::size_t i = 0; i + 1 < m_words.size(); ++i) {
        if (const std::optional<std::string> timing = SpecifierOf(m_words[i], "-fps_mode"))
            for (std::size_t t = 0; t < tracks.size(); ++t)
                if (Names(*timing, source.Streams[tracks[t].Source], static_cast<int>(t), nth[t]))
                    tracks[t].KeepsFrames = m_words[i + 1] == "vfr" || m_words[i + 1] == "passthrough";
        const std::optional<std::string> specifier = CodecSpecifier(m_words[i]);
        if (!specifier)
            continue;
        for (std::size_t t = 0; t < tracks.size(); ++t)
            if (Names(*specifier, source.Streams[tracks[t].Source], static_cast<int>(t), nth[t]))
                tracks[t].Copied = m_words[i + 1] == "copy";
    }
    return tracks;
}
