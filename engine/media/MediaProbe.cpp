#include "engine/media/MediaProbe.h"

#include "engine/media/DemuxInput.h"
#include "engine/media/PacketScan.h"
#include "platform/FileSystem.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include <QFile>
#include <algorithm>
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
    if (value == AV_NOPTS_VALUE || base.den == 0)
        return std::nullopt;
    return value * av_q2d(base);
}

std::optional<double> Length(int64_t value, AVRational base)
{
    return value > 0 ? Seconds(value, base) : std::nullopt;
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

double FrameTime(AVRational rate)
{
    return rate.num > 0 && rate.den > 0 && av_q2d(rate) >= 1 ? 1 / av_q2d(rate) : 0;
}

TStreamInfo StreamOf(const AVStream* stream, std::optional<double> told)
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
    info.Start = Seconds(stream->start_time, stream->time_base);
    if (told)
        info.End = info.Start.value_or(0) + *told;
    info.Undecodable = UndecodableWhy(codec);
    if (info.Kind == TStreamKind::Video) {
        info.Rotation = RotationOf(stream);
        info.Step = std::max(FrameTime(stream->r_frame_rate), FrameTime(stream->avg_frame_rate));
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
        if (codec->frame_size > 0 && codec->sample_rate > 0)
            info.Step = double(codec->frame_size) / codec->sample_rate;
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

// What may end a read before the demuxer does: a stop asked for, or a probe that has read its bound.
// Only the search for the tracks' details is bounded: a header (with a Matroska file's attached fonts) is read as
// far as the demuxer needs, but packets that lead nowhere are not.
struct TReadGuard {
    const TStopFlag* Stop = nullptr;
    const AVFormatContext* Context = nullptr;
    std::optional<int64_t> BoundFrom; // bytes read when the bounded part began
    bool OverBound = false;

    static int Interrupts(void* opaque)
    {
        TReadGuard& guard = *static_cast<TReadGuard*>(opaque);
        if (guard.Stop && guard.Stop->load())
            return 1;
        if (guard.BoundFrom && guard.Context && guard.Context->pb
            && guard.Context->pb->bytes_read - *guard.BoundFrom > MaxProbeBytes)
            guard.OverBound = true;
        return guard.BoundFrom && guard.OverBound ? 1 : 0;
    }
};

// A track the encoder could do something with: a known codec, and a picture's size or the sound's rate and channels.
bool Usable(const AVStream* stream)
{
    const AVCodecParameters* codec = stream->codecpar;
    if (codec->codec_id == AV_CODEC_ID_NONE)
        return false;
    if (codec->codec_type == AVMEDIA_TYPE_VIDEO)
        return codec->width > 0 && codec->height > 0;
    if (codec->codec_type == AVMEDIA_TYPE_AUDIO)
        return codec->sample_rate > 0 && codec->ch_layout.nb_channels > 0;
    return true;
}

// Whether the header tells how long each picture and sound track lasts, for a file its index says is whole.
bool LengthsTold(AVFormatContext* context, const std::vector<std::optional<double>>& told)
{
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const bool media = (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
                               && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            || stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
        if ((media && !told[i]) || IndexPastEnd(context, static_cast<int>(i)))
            return false;
    }
    return true;
}

void TakeTimes(TStreamInfo& stream, const TPacketTimes& times)
{
    stream.Start = times.Start;
    stream.End = times.End;
    stream.Packets = times.Packets;
    stream.LongestGap = times.LongestGap;
    stream.GapAt = times.GapAt;
    stream.KeyStart = times.BeforeKey > 0 ? times.KeyStart : std::nullopt;
    stream.BeforeKey = times.BeforeKey;
    if (stream.Kind == TStreamKind::Audio && stream.Step == 0)
        stream.Step = times.LongestPacket;
    if (stream.Kind == TStreamKind::Video && stream.Step == 0 && times.Packets > 1 && times.Start && times.End)
        stream.Step = (*times.End - *times.Start) / static_cast<double>(times.Packets);
}

// Whether the file's first box is one an MP4 or MOV file begins with: its size, then its type.
bool BeginsAsIsoFile(const std::string& path)
{
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(8);
    if (head.size() < 8)
        return false;
    const QByteArray type = head.mid(4, 4);
    return type == "ftyp" || type == "mdat" || type == "free" || type == "skip" || type == "wide";
}

} // namespace

ENotMediaError::ENotMediaError()
    : EProbeError("The file is not a video or sound file the encoder knows.")
{
}

ENotMediaError::ENotMediaError(const std::string& message)
    : EProbeError(message)
{
}

EIndexMissingError::EIndexMissingError()
    : ENotMediaError("The file's index is missing: it may be cut short or still downloading.")
{
}

EReadStopped::EReadStopped()
    : Exception("The reading of the file was stopped.")
{
}

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

std::optional<double> TMediaInfo::Length(const std::vector<int>& tracks) const
{
    std::optional<double> latest;
    for (int track : tracks)
        if (track >= 0 && track < static_cast<int>(Streams.size()) && Streams[track].End)
            latest = std::max(latest.value_or(0), *Streams[track].End - Start.value_or(0));
    return latest ? latest : Duration;
}

std::optional<double> TMediaInfo::PacketsEnd() const
{
    std::optional<double> latest;
    for (const TStreamInfo& stream : Streams)
        if (ReadToEnd && stream.End)
            latest = std::max(latest.value_or(0), *stream.End - Start.value_or(0));
    return latest;
}

TMediaInfo ProbeMedia(const std::string& path, TProbeDepth depth, const TStopFlag* stop)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_callback(CaptureLog); });
    std::string complaint;
    CapturedErrors = &complaint;
    struct TRestore {
        ~TRestore() { CapturedErrors = nullptr; }
    } restore;

    if (!platform::IsRegularFile(path) && platform::FileExists(path))
        throw ENotMediaError("The file is not a plain file but a pipe or a device, whose reading has no end.");
    TDemuxInput input;
    if (!input.Context || !input.OnlyMediaDemuxers())
        throw EProbeError("Out of memory");
    TReadGuard guard { stop, input.Context };
    input.Context->interrupt_callback = { &TReadGuard::Interrupts, &guard };
    input.Context->max_analyze_duration = static_cast<int64_t>(MaxProbeSeconds * AV_TIME_BASE);
    int result = avformat_open_input(&input.Context, path.c_str(), nullptr, nullptr);
    if (result < 0 && RefusedDemuxer(complaint))
        throw ENotMediaError("The file is a playlist, not a video: it names other files or addresses to play, "
                             "which are never read for it.");
    AVFormatContext* context = input.Context;
    // What the header itself tells, before the demuxer guesses lengths from the packets or the bit rate.
    std::vector<std::optional<double>> told;
    std::optional<double> toldFile;
    bool unindexed = false;
    if (result >= 0) {
        for (unsigned i = 0; i < context->nb_streams; ++i)
            told.push_back(Length(context->streams[i]->duration, context->streams[i]->time_base));
        toldFile = Length(context->duration, AVRational { 1, AV_TIME_BASE });
        unindexed = AviWithoutIndex(context);
        if (unindexed) {
            told.assign(told.size(), std::nullopt);
            toldFile.reset();
        }
        guard.BoundFrom = context->pb ? context->pb->bytes_read : 0;
        result = avformat_find_stream_info(context, nullptr);
        // Tracks found only in the packets (MPEG program streams) have nothing told of them.
        told.resize(context->nb_streams);
    }
    if (stop && stop->load())
        throw EReadStopped();
    const bool usable
        = result >= 0 && context && std::any_of(context->streams, context->streams + context->nb_streams, Usable);
    if (guard.OverBound && !usable)
        throw ENotMediaError();
    if (result < 0) {
        // No demuxer knew the data when none of them had anything to say.
        if (result == AVERROR_INVALIDDATA && complaint.empty())
            throw ENotMediaError();
        // The MP4 demuxer says this of a file cut before its index as of a text file that only bears the extension.
        if (complaint.find("moov atom not found") != std::string::npos) {
            if (BeginsAsIsoFile(path))
                throw EIndexMissingError();
            throw ENotMediaError();
        }
        throw EProbeError(complaint.empty() ? AvErrorText(result) : complaint);
    }
    if (!usable)
        throw ENotMediaError();
    TMediaInfo info;
    info.Container = context->iformat ? context->iformat->name : "";
    info.Duration = Length(context->duration, AVRational { 1, AV_TIME_BASE });
    info.Start = Seconds(context->start_time, AVRational { 1, AV_TIME_BASE });
    info.TimesGuessed = context->iformat && (context->iformat->flags & AVFMT_NOTIMESTAMPS);
    info.Told = toldFile;
    info.Unindexed = unindexed;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        info.Streams.push_back(StreamOf(context->streams[i], told[i]));
        if (info.Streams.back().Kind == TStreamKind::Video && EditBetweenKeys(context, static_cast<int>(i)))
            info.Streams.back().NotCopyable = "its edit list begins between key frames, which a copy would not keep";
        if (const std::optional<TPacketTimes> indexed
            = unindexed ? std::nullopt : IndexedTimes(context, static_cast<int>(i))) {
            info.Streams.back().Packets = indexed->Packets;
            info.Streams.back().LongestGap = indexed->LongestGap;
            info.Streams.back().GapAt = indexed->GapAt;
            info.Streams.back().BeforeKey = indexed->BeforeKey;
            if (indexed->BeforeKey > 0)
                info.Streams.back().KeyStart = indexed->KeyStart;
        }
        if (told[i])
            info.Told = std::max(info.Told.value_or(0), *told[i]);
    }
    // Matroska counts its length from 0, not from its first time: a part that `-f segment` cut after the first, or a
    // file with its times moved on, tells where it ends.
    if (info.Container == "matroska,webm" && info.Start > 0.0)
        for (std::optional<double>* length : { &info.Told, &info.Duration })
            if (*length > *info.Start)
                **length -= *info.Start;
    for (unsigned i = 0; i < context->nb_chapters; ++i) {
        const AVChapter* chapter = context->chapters[i];
        info.Chapters.push_back({ chapter->start * av_q2d(chapter->time_base),
            chapter->end * av_q2d(chapter->time_base), Tag(chapter->metadata, "title") });
    }
    const AVDictionaryEntry* tag = nullptr;
    while ((tag = av_dict_get(context->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        info.Tags[tag->key] = tag->value;
    if (depth == TProbeDepth::Header || (depth == TProbeDepth::Untrusted && LengthsTold(context, told)))
        return info;
    guard.BoundFrom.reset();
    const std::vector<TPacketTimes> times = ScanPackets(context, info.ReadError);
    if (stop && stop->load())
        throw EReadStopped();
    if (!info.ReadError.empty() && !complaint.empty())
        info.ReadError = complaint;
    info.ReadToEnd = true;
    for (std::size_t i = 0; i < times.size(); ++i)
        TakeTimes(info.Streams[i], times[i]);
    return info;
}
