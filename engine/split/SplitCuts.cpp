#include "engine/split/SplitCuts.h"

#include "engine/media/DemuxInput.h"
#include "engine/media/MediaProbe.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace
{

// The presentation time of the keyframe that the index puts at timestamp. The index counts in decoding times in
// some containers and showing times in others, and a seek may land a keyframe early; so the packets are read on
// from there to the first keyframe of the track that is not before the index's time. None when there is none
// within a few thousand packets, or it has no time.
std::optional<int64_t> KeyframeTime(AVFormatContext* context, int track, int64_t timestamp)
{
    constexpr int MostPackets = 10000;
    if (av_seek_frame(context, track, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
        return std::nullopt;
    AVPacket* packet = av_packet_alloc();
    std::optional<int64_t> time;
    for (int read = 0; read < MostPackets && !time && av_read_frame(context, packet) >= 0; ++read) {
        const bool key = packet->stream_index == track && (packet->flags & AV_PKT_FLAG_KEY);
        if (key && packet->pts != AV_NOPTS_VALUE && std::max(packet->dts, packet->pts) >= timestamp)
            time = packet->pts;
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return time;
}

// MPEG program and transport streams, the commonest long recordings, keep no index of keyframes.
bool Unindexed(const AVFormatContext* context)
{
    const std::string name = context->iformat ? context->iformat->name : "";
    return name == "mpegts" || name == "mpeg";
}

// The presentation times of the track's keyframes, ascending, from one pass over the file's packets as they are
// flagged (nothing decoded). None where a keyframe has no time or the times go back (a clock that wrapped or
// began again): no cut would then be sure.
std::vector<int64_t> ScannedKeyframes(AVFormatContext* context, int track)
{
    std::vector<int64_t> times;
    if (av_seek_frame(context, -1, 0, AVSEEK_FLAG_BYTE) < 0)
        return times;
    AVPacket* packet = av_packet_alloc();
    bool sure = true;
    while (sure && av_read_frame(context, packet) >= 0) {
        if (packet->stream_index == track && (packet->flags & AV_PKT_FLAG_KEY)) {
            sure = packet->pts != AV_NOPTS_VALUE && (times.empty() || packet->pts > times.back());
            times.push_back(packet->pts);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return sure ? times : std::vector<int64_t>();
}

// Counts the track's frames in each piece, and the last one's time, from one pass over its packets (nothing
// decoded): what each piece's file must hold. Left empty where a packet has no time, so none can be counted sure.
void CountFrames(AVFormatContext* context, TSplitCuts& cuts, const TStopFlag* stop)
{
    if (av_seek_frame(context, -1, 0, AVSEEK_FLAG_BYTE) < 0
        && av_seek_frame(context, cuts.Track, 0, AVSEEK_FLAG_BACKWARD) < 0)
        return;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        if (static_cast<int>(i) != cuts.Track)
            context->streams[i]->discard = AVDISCARD_ALL;
    std::vector<int64_t> frames(cuts.Pieces(), 0);
    std::vector<int64_t> lasts(cuts.Pieces(), INT64_MIN);
    AVPacket* packet = av_packet_alloc();
    bool sure = true;
    while (sure && av_read_frame(context, packet) >= 0) {
        if (stop && stop->load())
            break;
        if (packet->stream_index == cuts.Track && !(packet->flags & AV_PKT_FLAG_DISCARD)) {
            sure = packet->pts != AV_NOPTS_VALUE;
            const std::size_t piece
                = std::upper_bound(cuts.Cuts.begin(), cuts.Cuts.end(), packet->pts) - cuts.Cuts.begin();
            ++frames[piece];
            lasts[piece] = std::max(lasts[piece], packet->pts);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = AVDISCARD_DEFAULT;
    if (sure && std::find(frames.begin(), frames.end(), 0) == frames.end()) {
        cuts.Frames = std::move(frames);
        cuts.LastTimes = std::move(lasts);
    }
}

} // namespace

int64_t TSplitCuts::SeekMicroseconds(std::size_t piece) const
{
    // Rounded up: the demuxer seeks back to the keyframe at or before the time, and that must be this one (or, in
    // a file without an index, the one before the cut).
    const int64_t time = piece <= Seeks.size() ? Seeks[piece - 1] : Cuts[piece - 1];
    return av_rescale_rnd(time, int64_t(TimeBaseNum) * AV_TIME_BASE, TimeBaseDen, AV_ROUND_UP);
}

std::string TSplitCuts::Trim(std::size_t piece) const
{
    if (Cuts.empty())
        return "";
    std::string trim = "trim=";
    if (piece > 0)
        trim += "start_pts=" + std::to_string(Cuts[piece - 1]);
    if (piece < Cuts.size())
        trim += std::string(piece > 0 ? ":" : "") + "end_pts=" + std::to_string(Cuts[piece]);
    return trim;
}

TSplitCuts FindSplitCuts(
    const std::string& path, const std::string& container, int track, int pieces, const TStopFlag* stop)
{
    TDemuxInput input;
    if (!input.Context)
        throw EProbeError("Out of memory");
    input.StopWith(stop);
    const AVInputFormat* demuxer = av_find_input_format(container.substr(0, container.find(',')).c_str());
    int result = avformat_open_input(&input.Context, path.c_str(), demuxer, nullptr);
    if (result >= 0)
        result = avformat_find_stream_info(input.Context, nullptr);
    if (stop && stop->load())
        throw EReadStopped();
    if (result < 0)
        throw EProbeError(AvErrorText(result));
    AVFormatContext* context = input.Context;
    if (track < 0 || static_cast<unsigned>(track) >= context->nb_streams)
        throw EProbeError("The source has no picture track " + std::to_string(track) + ".");
    AVStream* stream = context->streams[track];
    TSplitCuts cuts;
    cuts.Track = track;
    cuts.TimeBaseNum = stream->time_base.num;
    cuts.TimeBaseDen = stream->time_base.den;
    cuts.StartTime = context->start_time == AV_NOPTS_VALUE ? 0 : context->start_time;

    // Matroska reads its index of keyframes at the first seek only.
    av_seek_frame(context, track, 0, AVSEEK_FLAG_BACKWARD);
    std::vector<int64_t> keyframes;
    for (int i = 0; i < avformat_index_get_entries_count(stream); ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (entry && (entry->flags & AVINDEX_KEYFRAME) && entry->timestamp != AV_NOPTS_VALUE)
            keyframes.push_back(entry->timestamp);
    }
    const bool scanned = keyframes.size() < 2 && pieces >= 2 && Unindexed(context);
    if (scanned)
        keyframes = ScannedKeyframes(context, track);
    if (stop && stop->load())
        throw EReadStopped();
    std::sort(keyframes.begin(), keyframes.end());
    // A piece's file cannot hold frames before zero.
    if (pieces < 2 || keyframes.size() < 2 || cuts.StartTime < 0)
        return cuts;
    // Each cut at the keyframe nearest its share of the length; the first keyframe starts the first piece.
    const int64_t first = keyframes.front();
    const int64_t length = stream->duration != AV_NOPTS_VALUE
        ? stream->duration
        : av_rescale_q(context->duration, AV_TIME_BASE_Q, stream->time_base);
    std::vector<int64_t> chosen;
    // No more pieces than keyframes: a piece begins at one.
    pieces = static_cast<int>(std::min<std::size_t>(pieces, keyframes.size()));
    for (int piece = 1; piece < pieces && length > 0; ++piece) {
        if (stop && stop->load())
            throw EReadStopped();
        const int64_t wanted = first + length * piece / pieces;
        // The keyframes are in order: the nearest is the first at or after the wanted time, or the one before.
        auto nearest = std::lower_bound(keyframes.begin() + 1, keyframes.end(), wanted);
        if (nearest == keyframes.end()
            || (nearest != keyframes.begin() + 1 && wanted - *(nearest - 1) <= *nearest - wanted))
            --nearest;
        if (chosen.empty() || *nearest > chosen.back())
            chosen.push_back(*nearest);
    }
    for (int64_t timestamp : chosen) {
        const std::optional<int64_t> time = KeyframeTime(context, track, timestamp);
        // A keyframe the index names but the track does not bear out: no cut is sure, so none is made.
        if (!time)
            return TSplitCuts { cuts.Track, cuts.TimeBaseNum, cuts.TimeBaseDen, cuts.StartTime, {}, {}, {}, {} };
        if (cuts.Cuts.empty() || *time > cuts.Cuts.back())
            cuts.Cuts.push_back(*time);
    }
    for (int64_t cut : scanned ? cuts.Cuts : std::vector<int64_t>()) {
        const auto next = std::lower_bound(keyframes.begin(), keyframes.end(), cut);
        cuts.Seeks.push_back(next == keyframes.begin() ? cut : *(next - 1));
    }
    if (!cuts.Cuts.empty())
        CountFrames(context, cuts, stop);
    if (stop && stop->load())
        throw EReadStopped();
    return cuts;
}
