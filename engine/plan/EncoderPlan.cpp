#include "engine/plan/EncoderPlan.h"

#include "engine/plan/CaptureTags.h"
#include "engine/plan/Containers.h"
#include "engine/DosCommand.h"
#include "engine/plan/EncoderChoices.h"
#include "engine/plan/FormatParams.h"
#include "engine/media/PictureTiming.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>

namespace
{

struct TWords {
    bool Tracks = false;
    bool Copy = false;
    bool Surround = false;
    bool Progressive = false;
    bool EightBit = false;

    bool Any() const { return Tracks || Copy || Surround || Progressive || EightBit; }
};

TWords WordsOf(const std::string& plan)
{
    TWords words;
    std::istringstream stream(plan);
    for (std::string word; stream >> word;) {
        bool* flag = word == "tracks" ? &words.Tracks
            : word == "copy"          ? &words.Copy
            : word == "surround"      ? &words.Surround
            : word == "progressive"   ? &words.Progressive
            : word == "8-bit"         ? &words.EightBit
                                      : nullptr;
        if (!flag)
            throw EPlanError("The format's plan word \"" + word
                + "\" is unknown; a plan knows tracks, copy, surround, progressive and 8-bit.");
        *flag = true;
    }
    return words;
}

bool Takes(const TContainer& container, const std::string& codec)
{
    if (!container.Copies.empty())
        return std::find(container.Copies.begin(), container.Copies.end(), codec) != container.Copies.end();
    const AVOutputFormat* muxer = *container.Muxer ? av_guess_format(container.Muxer, nullptr, nullptr) : nullptr;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(codec.c_str());
    return muxer && descriptor && avformat_query_codec(muxer, descriptor->id, FF_COMPLIANCE_NORMAL) == 1;
}

// Whether the params ask for a frame rate of their own (a constant one, or a mode of their own for it).
bool SetsFrameRate(const TFormatParams& params)
{
    for (const std::string& word : params.General())
        for (const char* option : { "-r", "-vsync", "-fps_mode", "-target" })
            if (word == option || word.starts_with(std::string(option) + ":"))
                return true;
    return params.PictureFilter().find("fps") != std::string::npos
        || params.PictureFilter().find("framerate") != std::string::npos;
}

bool IsHdr(const TStreamInfo& picture)
{
    return picture.ColorTransfer == "smpte2084" || picture.ColorTransfer == "arib-std-b67";
}

// The usual layout for the channels of a track whose own layout is another (5.1 with side speakers): AAC and
// Opus take only the usual ones and would otherwise make a layout nobody knows. Empty when the track has the
// usual one or no layout.
std::string UsualLayout(const TStreamInfo& sound)
{
    AVChannelLayout layout {};
    if (sound.ChannelLayout.empty() || av_channel_layout_from_string(&layout, sound.ChannelLayout.c_str()) < 0)
        return "";
    AVChannelLayout usual {};
    av_channel_layout_default(&usual, layout.nb_channels);
    char name[64] = {};
    const bool other
        = av_channel_layout_compare(&layout, &usual) != 0 && av_channel_layout_describe(&usual, name, sizeof name) > 0;
    av_channel_layout_uninit(&layout);
    av_channel_layout_uninit(&usual);
    return other ? name : "";
}

// A value of the source as one word, cut at a character's start where it is longer than the plan hands on.
std::string Bounded(const std::string& value, bool& cut)
{
    cut = value.size() > MaxSourceValue;
    if (!cut)
        return value;
    std::size_t end = MaxSourceValue;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
        --end;
    return value.substr(0, end);
}

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

// Builds the options of the tracks the plan keeps, in the order they go into the output.
class TPlanWriter
{
public:
    TPlanWriter(const TWords& words, const TContainer& container, const TFormatParams& params,
        const std::string& source, const TEncoderChoices& choices)
        : m_words(words)
        , m_container(container)
        , m_params(params)
        , m_sourceContainer(source)
        , m_choices(choices)
    {
    }

    // Maps the picture unless nothing can decode it; answers whether it did.
    bool Picture(int index, const TStreamInfo& picture)
    {
        if (!Decodable(index, "picture", picture))
            return false;
        m_section = &m_plan.Picture;
        m_plan.PictureTrack = index;
        PictureOptions(index, picture);
        m_section = &m_plan.Rest;
        return true;
    }

    void PictureOptions(int index, const TStreamInfo& picture)
    {
        const std::string out = Map(index, 'v');
        // Data tracks are left out, but MP4 and MOV would make a timecode track of the picture's timecode tag. It is
        // the container's option, so it goes with the rest.
        if (m_container.Iso) {
            AddApart("-write_tmcd", "0");
            m_plan.Rest.insert(m_plan.Rest.end(), { "-write_tmcd", "0" });
        }
        const TPictureTiming timing = PictureTimingOf(m_sourceContainer, picture);
        m_plan.PictureCopied
            = PictureCopies(picture) && timing.Copyable && Meets(picture.NotCopyable.empty() ? PictureCopyRefusal(m_choices, picture)
                                                                           : picture.NotCopyable + ".",
                "The picture");
        // The sound copied beside it would keep what its edit list leaves out before the start, and the file's
        // times would move by as much.
        if (!picture.NotCopyable.empty()) {
            AddApart("-copypriorss", "0");
            m_plan.Rest.insert(m_plan.Rest.end(), { "-copypriorss", "0" });
        }
        if (m_plan.PictureCopied) {
            Add("-c:" + out, "copy");
            m_plan.InputOptions = timing.CopyInputOptions;
            if (!timing.CopyBitstreamFilters.empty())
                Add("-bsf:" + out, timing.CopyBitstreamFilters);
            // Apple's players play H.265 only under this name.
            if (picture.Codec == "hevc" && m_container.Iso)
                Add("-tag:" + out, "hvc1");
            return;
        }
        std::vector<std::string> filters;
        if (!timing.ConvertFilter.empty())
            filters.push_back(timing.ConvertFilter);
        // Each frame becomes one whole picture, so the frame rate stays.
        if (m_words.Progressive && picture.Interlaced)
            filters.push_back("bwdif=mode=send_frame");
        const bool toneMap = m_words.EightBit && IsHdr(picture);
        if (toneMap)
            filters.push_back("zscale=tin=" + picture.ColorTransfer
                + (picture.ColorPrimaries.empty() ? "" : ":pin=" + picture.ColorPrimaries)
                + ":t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,"
                  "zscale=t=bt709:m=bt709:r=tv,format=yuv420p");
        if (!m_params.PictureFilter().empty())
            filters.push_back(m_params.PictureFilter());
        m_plan.PictureFilter = Joined(filters, ",");
        if (!filters.empty())
            AddApart("-filter:" + out, m_plan.PictureFilter);
        if (!m_params.PictureTag().empty())
            Add("-tag:" + out, m_params.PictureTag());
        if (toneMap)
            for (const char* tag : { "-color_primaries:", "-color_trc:", "-colorspace:" })
                Add(tag + out, "bt709");
        // A phone slows its frames down where the light is poor: where the container keeps each frame's time, no
        // frame is doubled to fill a constant rate, and the encoder counts in the source's own clock, so that no two
        // frames fall on one tick and one of them is lost. The pieces of a split say so themselves.
        if (m_container.Timed && !SetsFrameRate(m_params)) {
            AddApart("-fps_mode:" + out, "vfr");
            AddApart("-enc_time_base:" + out, "-1");
        }
    }

    void Cover(int index, const TStreamInfo& cover)
    {
        if (!m_container.Cover || (cover.Codec != "mjpeg" && cover.Codec != "png"))
            return LeaveOut(index, "cover picture", cover,
                std::string(m_container.Name)
                    + (m_container.Cover ? " keeps no cover picture of this kind." : " keeps no cover picture."));
        const std::string out = Map(index, 'v');
        // Apart from the picture the cover is the first picture track.
        const std::string apart = "v:" + std::to_string(m_pictures - 1 - (m_plan.PictureTrack >= 0 ? 1 : 0));
        AddApart("-c:" + out, "copy");
        AddApart("-disposition:" + out, "attached_pic");
        m_plan.Rest.insert(m_plan.Rest.end(), { "-c:" + apart, "copy", "-disposition:" + apart, "attached_pic" });
    }

    // Maps the sound track unless nothing can decode it; answers whether it did.
    bool Sound(int index, const TStreamInfo& sound)
    {
        if (!Decodable(index, "sound", sound))
            return false;
        const std::string out = Map(index, 'a');
        Title(index, out, sound);
        Flags(index, out, sound);
        if (SoundCopies(sound)
            && Meets(SoundCopyRefusal(m_choices, sound), "Track " + std::to_string(index + 1) + " (sound)")) {
            Add("-c:" + out, "copy");
            return true;
        }
        std::vector<std::string> filters;
        if (!m_params.SoundFilter().empty())
            filters.push_back(m_params.SoundFilter());
        if (const std::string layout = UsualLayout(sound); m_words.Surround && !layout.empty())
            filters.push_back("aformat=channel_layouts=" + layout);
        if (!filters.empty())
            Add("-filter:" + out, Joined(filters, ","));
        const int channels = m_params.Channels() > 0 ? m_params.Channels() : sound.Channels;
        if (m_words.Surround && m_params.SoundRate() && channels > 0)
            Add("-b:" + out, std::to_string(static_cast<long long>(*m_params.SoundRate() * channels / 2)));
        return true;
    }

    void Subtitle(int index, const TStreamInfo& subtitle)
    {
        if (!Decodable(index, "subtitles", subtitle))
            return;
        const std::string codec = SubtitleCodec(subtitle);
        if (codec.empty())
            return LeaveOut(index, "subtitles", subtitle,
                std::string(m_container.Name)
                    + (m_container.Subtitles == TSubtitles::None             ? " keeps no subtitles."
                            : m_container.Subtitles == TSubtitles::AsTheyAre ? " cannot carry subtitles of this kind."
                                                                             : " holds text subtitles only."));
        const std::string out = Map(index, 's');
        Title(index, out, subtitle);
        Flags(index, out, subtitle);
        Add("-c:" + out, codec);
        if (!m_firstSubtitle)
            m_firstSubtitle = index;
        m_subtitleDefault = m_subtitleDefault || subtitle.Default;
    }

    void Attachment(int index) { Add("-c:" + Map(index, 't'), "copy"); }

    void Add(const std::string& option, const std::string& value)
    {
        AddApart(option, value);
        m_section->push_back(option);
        m_section->push_back(value);
    }

    // To the arguments only: the filters of the picture are kept apart.
    void AddApart(const std::string& option, const std::string& value)
    {
        m_plan.Arguments.push_back(option);
        m_plan.Arguments.push_back(value);
    }

    // A "key=value" option whose value comes from the source: one word whatever it holds, cut where it is long.
    void AddSourceValue(
        const std::string& option, const std::string& key, const std::string& value, const std::string& whose)
    {
        bool cut = false;
        Add(option, key + "=" + Bounded(value, cut));
        if (cut)
            m_plan.Notes.push_back("The " + whose + " is cut to its first " + std::to_string(MaxSourceValue)
                + " bytes; it held " + std::to_string(value.size()) + ".");
    }

    void Note(const std::string& line) { m_plan.Notes.push_back(line); }

    TEncoderPlan Plan() const
    {
        TEncoderPlan plan = m_plan;
        // The MP4 and MOV muxer turns on the first track of each kind where none is marked default, which players
        // and the demuxer read as default.
        if (m_firstSubtitle && !m_subtitleDefault && m_container.Iso)
            plan.Notes.push_back("Track " + std::to_string(*m_firstSubtitle + 1) + " (subtitles) is marked default: "
                + std::string(m_container.Name) + " marks one subtitle track so where the source marks none.");
        return plan;
    }
    bool MappedAny() const { return m_pictures + m_sounds + m_subtitles + m_attachments > 0; }

private:
    // A turned picture is copied only where the container keeps the turn; packets of an MPEG program stream may
    // lack the times other containers need.
    bool PictureCopies(const TStreamInfo& picture) const
    {
        return m_words.Copy && Takes(m_container, picture.Codec) && (picture.Rotation == 0 || m_container.Iso)
            && m_sourceContainer != "mpeg";
    }

    // Matroska keeps no channel layout for PCM sound, so PCM with a layout is converted.
    bool SoundCopies(const TStreamInfo& sound) const
    {
        return m_words.Copy && Takes(m_container, sound.Codec)
            && !(sound.Codec.starts_with("pcm_") && !sound.ChannelLayout.empty());
    }

    std::string SubtitleCodec(const TStreamInfo& subtitle) const
    {
        switch (m_container.Subtitles) {
        case TSubtitles::None:
            return "";
        case TSubtitles::AsTheyAre:
            return Takes(m_container, subtitle.Codec) ? "copy" : subtitle.TextSubtitle ? "srt" : "";
        case TSubtitles::MovText:
            return subtitle.TextSubtitle ? "mov_text" : "";
        case TSubtitles::WebVtt:
            return subtitle.TextSubtitle ? "webvtt" : "";
        }
        return "";
    }

    // True when a copy meets the row's choices; else the row's notes say why the track is converted.
    bool Meets(const std::optional<std::string>& refusal, const std::string& track)
    {
        if (refusal)
            Note(track + " is converted, not copied: " + *refusal);
        return !refusal;
    }

    // Maps the source's track index and answers the output track's specifier ("v:0", "a:1").
    std::string Map(int index, char kind)
    {
        Add("-map", "0:" + std::to_string(index));
        int& count = kind == 'v' ? m_pictures : kind == 'a' ? m_sounds : kind == 's' ? m_subtitles : m_attachments;
        return std::string(1, kind) + ":" + std::to_string(count++);
    }

    // The encoder keeps a track's language, title and flags; MP4 and MOV show a title only as the handler name.
    void Title(int index, const std::string& out, const TStreamInfo& stream)
    {
        if (m_container.Iso && !stream.Title.empty())
            AddSourceValue(
                "-metadata:s:" + out, "handler_name", stream.Title, "title of track " + std::to_string(index + 1));
    }

    // The encoder would take the flags of the source's track, but marks the first subtitle track default where
    // the source marks none; the source's flags are given to it, each as it is.
    void Flags(int index, const std::string& out, const TStreamInfo& stream)
    {
        Add("-disposition:" + out,
            std::string(stream.Default ? "+default" : "-default") + (stream.Forced ? "+forced" : "-forced"));
        if (stream.Forced && !m_container.Forced)
            Note("Track " + std::to_string(index + 1) + " loses its forced flag: " + std::string(m_container.Name)
                + " keeps none.");
    }

    bool Decodable(int index, const std::string& what, const TStreamInfo& stream)
    {
        if (!stream.Undecodable.empty())
            LeaveOut(index, what, stream, "nothing can decode it; " + stream.Undecodable + ".");
        return stream.Undecodable.empty();
    }

    void LeaveOut(int index, const std::string& what, const TStreamInfo& stream, const std::string& why)
    {
        m_plan.Notes.push_back("Track " + std::to_string(index + 1) + " (" + what + ": " + stream.Codec
            + (stream.Language.empty() ? "" : ", " + stream.Language) + ") is left out: " + why);
    }

    const TWords m_words;
    const TContainer& m_container;
    const TFormatParams m_params;
    const std::string m_sourceContainer;
    const TEncoderChoices m_choices;
    TEncoderPlan m_plan;
    std::vector<std::string>* m_section = &m_plan.Rest;
    int m_pictures = 0;
    int m_sounds = 0;
    int m_subtitles = 0;
    int m_attachments = 0;
    std::optional<int> m_firstSubtitle;
    bool m_subtitleDefault = false;
};

// The encoder reads the source with the demuxer the probe found, never one it guesses again on its own: the file
// was refused when its demuxer would read other files it names. The first of its names ("mov" of
// "mov,mp4,m4a,3gp,3g2,mj2") is one the encoder takes.
std::vector<std::string> DemuxerOptions(const TMediaInfo& source)
{
    if (source.Container.empty())
        return {};
    return { "-f", source.Container.substr(0, source.Container.find(',')) };
}

} // namespace

TEncoderPlan PlanEncoding(const TEncoderTask& task, const TMediaInfo& source)
{
    const TWords words = WordsOf(task.Plan);
    std::vector<std::string> notes;
    std::vector<std::string> chosen = ChosenParams(task, source, notes);
    const TFormatParams params(chosen);
    const std::vector<std::string> demuxer = DemuxerOptions(source);
    if (!words.Any()) {
        TEncoderPlan asItStands;
        asItStands.Arguments = std::move(chosen);
        asItStands.Notes = std::move(notes);
        asItStands.Tracks = params.TracksOf(source, task.OutputName);
        asItStands.InputOptions = demuxer;
        return asItStands;
    }
    if (!params.ComplexFilter().empty())
        throw EPlanError(
            "A format with a plan cannot use " + params.ComplexFilter() + "; give its filters with -vf and -af.");
    const TFormatStreams keeps = params.StreamsFor(source);
    const TContainer& container = ContainerOf(task.OutputName);
    TPlanWriter writer(words, container, params, source.Container, task.Choices);
    for (const std::string& note : notes)
        writer.Note(note);
    const std::vector<TStreamInfo>& streams = source.Streams;
    auto is = [&](std::size_t i, TStreamKind kind) { return streams[i].Kind == kind; };
    if (keeps.KeepsPicture) {
        for (std::size_t i = 0; i < streams.size(); ++i)
            if (is(i, TStreamKind::Video) && !streams[i].AttachedPicture
                && writer.Picture(static_cast<int>(i), streams[i]))
                break;
        for (std::size_t i = 0; i < streams.size() && words.Tracks; ++i)
            if (is(i, TStreamKind::Video) && streams[i].AttachedPicture)
                writer.Cover(static_cast<int>(i), streams[i]);
    }
    if (keeps.KeepsSound)
        for (std::size_t i = 0; i < streams.size(); ++i)
            if (is(i, TStreamKind::Audio) && writer.Sound(static_cast<int>(i), streams[i]) && !words.Tracks)
                break;
    for (std::size_t i = 0; i < streams.size() && words.Tracks; ++i) {
        if (is(i, TStreamKind::Subtitle))
            writer.Subtitle(static_cast<int>(i), streams[i]);
        else if (is(i, TStreamKind::Attachment) && container.Attachments)
            writer.Attachment(static_cast<int>(i));
    }
    // The encoder drops the source's creation time from the tags it copies unless told it again; MP4 and MOV find
    // it elsewhere, the others lose it.
    if (const auto created = source.Tags.find("creation_time"); created != source.Tags.end())
        writer.AddSourceValue("-metadata", "creation_time", created->second, "creation time");
    const TCaptureTags capture = CaptureTagsFor(source.Tags, container);
    for (const TCaptureTag& tag : capture.Tags)
        writer.AddSourceValue("-metadata", tag.Key, tag.Value, tag.What);
    for (const std::string& note : capture.Notes)
        writer.Note(note);
    TEncoderPlan plan = writer.Plan();
    std::vector<std::string> arguments = params.General();
    // With nothing to map, the entry's own maps make the encoder fail as it always did, rather than let it pick
    // tracks of its own.
    if (!writer.MappedAny())
        arguments.insert(arguments.end(), params.Maps().begin(), params.Maps().end());
    plan.General = arguments;
    // Options for single tracks come after the general ones, which they then override.
    plan.Arguments.insert(plan.Arguments.begin(), arguments.begin(), arguments.end());
    plan.Tracks = TFormatParams(plan.Arguments).TracksOf(source, task.OutputName);
    plan.InputOptions.insert(plan.InputOptions.begin(), demuxer.begin(), demuxer.end());
    return plan;
}
