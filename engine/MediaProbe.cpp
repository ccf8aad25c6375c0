#include "engine/MediaProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <mutex>

namespace
{

// The demuxer's complaints go to whoever probes on this thread, never to the program's standard error.
thread_local std::string* CapturedErrors = nullptr;

void CaptureLog(void* object, int level, const char* format, va_list arguments)
{
    if (!CapturedErrors || level > AV_LOG_ERROR)
        return;
    char line[1024];
    int prefix = 0;
    av_log_format_line2(object, level, format, arguments, line, sizeof line, &prefix);
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    // The demuxer's own name in brackets says nothing to a user.
    if (const std::size_t close = text.find("] "); text.starts_with('[') && close != std::string::npos)
        text.erase(0, close + 2);
    if (!text.empty())
        *CapturedErrors = text;
}

std::string Tag(const AVDictionary* tags, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0);
    return entry ? entry->value : std::string();
}

std::optional<double> Seconds(int64_t value, AVRational base)
{
    if (value == AV_NOPTS_VALUE || value <= 0)
        return std::nullopt;
    return value * av_q2d(base);
}

TStreamKind KindOf(AVMediaType type)
{
    switch (type) {
    case AVMEDIA_TYPE_VIDEO:
        return TStreamKind::Video;
    case AVMEDIA_TYPE_AUDIO:
        return TStreamKind::Audio;
    case AVMEDIA_TYPE_SUBTITLE:
        return TStreamKind::Subtitle;
    case AVMEDIA_TYPE_DATA:
        return TStreamKind::Data;
    case AVMEDIA_TYPE_ATTACHMENT:
        return TStreamKind::Attachment;
    default:
        return TStreamKind::Other;
    }
}

double RotationOf(const AVStream* stream)
{
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return 0;
    const double degrees = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    return std::isnan(degrees) ? 0 : degrees;
}

// Why no decoder can make pictures or sound of a track: the encoder would fail on it, and a copy of it would be a
// track no player can play.
std::string UndecodableWhy(const AVCodecParameters* codec)
{
    if (codec->codec_type == AVMEDIA_TYPE_ATTACHMENT || codec->codec_type == AVMEDIA_TYPE_DATA)
        return "";
    if (!avcodec_find_decoder(codec->codec_id))
        return "no decoder knows its kind";
    if (codec->codec_type == AVMEDIA_TYPE_AUDIO && codec->ch_layout.nb_channels <= 0)
        return "it has no channels";
    if (codec->codec_type == AVMEDIA_TYPE_AUDIO && codec->sample_rate <= 0)
        return "it has no sample rate";
    if (codec->codec_type == AVMEDIA_TYPE_VIDEO && (codec->width <= 0 || codec->height <= 0))
        return "it has no picture size";
    return "";
}

TStreamInfo StreamOf(const AVStream* stream, bool toldLengths)
{
    const AVCodecParameters* codec = stream->codecpar;
    TStreamInfo info;
    info.Kind = KindOf(codec->codec_type);
    info.Codec = avcodec_get_name(codec->codec_id);
    info.Language = Tag(stream->metadata, "language");
    info.Title = Tag(stream->metadata, "title");
    info.Default = stream->disposition & AV_DISPOSITION_DEFAULT;
    info.Forced = stream->disposition & AV_DISPOSITION_FORCED;
    info.AttachedPicture = stream->disposition & AV_DISPOSITION_ATTACHED_PIC;
    if (toldLengths)
        info.Duration = Seconds(stream->duration, stream->time_base);
    info.Undecodable = UndecodableWhy(codec);
    if (info.Kind == TStreamKind::Video) {
        info.Rotation = RotationOf(stream);
        info.Width = codec->width;
        info.Height = codec->height;
        if (const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(codec->format)))
            info.BitDepth = pixels->comp[0].depth;
        info.Interlaced = codec->field_order != AV_FIELD_PROGRESSIVE && codec->field_order != AV_FIELD_UNKNOWN;
        info.Reordered = codec->video_delay > 0;
        if (codec->color_trc != AVCOL_TRC_UNSPECIFIED)
            info.ColorTransfer = av_color_transfer_name(codec->color_trc);
        if (codec->color_primaries != AVCOL_PRI_UNSPECIFIED)
            info.ColorPrimaries = av_color_primaries_name(codec->color_primaries);
    } else if (info.Kind == TStreamKind::Audio) {
        info.Channels = codec->ch_layout.nb_channels;
        if (codec->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
            char layout[64] = {};
            if (av_channel_layout_describe(&codec->ch_layout, layout, sizeof layout) > 0)
                info.ChannelLayout = layout;
        }
    } else if (info.Kind == TStreamKind::Subtitle) {
        const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec->codec_id);
        info.TextSubtitle = descriptor && (descriptor->props & AV_CODEC_PROP_TEXT_SUB);
    }
    return info;
}

// Closes the demuxer however the probe ends.
struct TInput {
    AVFormatContext* Context = nullptr;
    ~TInput() { avformat_close_input(&Context); }
};

} // namespace

bool TMediaInfo::HasPicture() const
{
    for (const TStreamInfo& stream : Streams)
        if (stream.Kind == TStreamKind::Video && !stream.AttachedPicture && stream.Undecodable.empty())
            return true;
    return false;
}

bool TMediaInfo::HasSound() const
{
    for (const TStreamInfo& stream : Streams)
        if (stream.Kind == TStreamKind::Audio && stream.Undecodable.empty())
            return true;
    return false;
}

int TMediaInfo::Count(TStreamKind kind) const
{
    int count = 0;
    for (const TStreamInfo& stream : Streams)
        count += stream.Kind == kind ? 1 : 0;
    return count;
}

std::optional<double> TMediaInfo::Length(bool picture, bool sound) const
{
    std::optional<double> longest;
    for (const TStreamInfo& stream : Streams) {
        const bool wanted = (picture && stream.Kind == TStreamKind::Video && !stream.AttachedPicture)
            || (sound && stream.Kind == TStreamKind::Audio);
        if (wanted && stream.Duration && (!longest || *stream.Duration > *longest))
            longest = stream.Duration;
    }
    return longest ? longest : Duration;
}

TMediaInfo ProbeMedia(const std::string& path)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_callback(CaptureLog); });
    std::string complaint;
    CapturedErrors = &complaint;
    struct TRestore {
        ~TRestore() { CapturedErrors = nullptr; }
    } restore;

    TInput input;
    int result = avformat_open_input(&input.Context, path.c_str(), nullptr, nullptr);
    if (result >= 0)
        result = avformat_find_stream_info(input.Context, nullptr);
    if (result < 0) {
        if (complaint.empty()) {
            char text[AV_ERROR_MAX_STRING_SIZE] = {};
            av_strerror(result, text, sizeof text);
            complaint = text;
        }
        throw EProbeError(complaint);
    }
    const AVFormatContext* context = input.Context;
    TMediaInfo info;
    info.Container = context->iformat ? context->iformat->name : "";
    info.Duration = Seconds(context->duration, AVRational { 1, AV_TIME_BASE });
    // A length the demuxer guessed from timestamps or the bit rate holds for the file at best: in an MPEG program
    // stream it gives the picture one frame.
    const bool toldLengths = context->duration_estimation_method == AVFMT_DURATION_FROM_STREAM;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        info.Streams.push_back(StreamOf(context->streams[i], toldLengths));
    for (unsigned i = 0; i < context->nb_chapters; ++i) {
        const AVChapter* chapter = context->chapters[i];
        info.Chapters.push_back({ chapter->start * av_q2d(chapter->time_base),
            chapter->end * av_q2d(chapter->time_base), Tag(chapter->metadata, "title") });
    }
    const AVDictionaryEntry* tag = nullptr;
    while ((tag = av_dict_get(context->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        info.Tags[tag->key] = tag->value;
    return info;
}
