#include "engine/media/PacketScan.h"

#include "engine/media/DemuxInput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <functional>
#include <queue>

namespace
{

// Raw pictures and PCM sound may be all zeros (black, silence); no compressed packet is.
bool ZerosPossible(const AVCodecParameters* codec)
{
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec->codec_id);
    const int raw = AV_CODEC_PROP_INTRA_ONLY | AV_CODEC_PROP_LOSSLESS;
    return !descriptor || (descriptor->props & raw) == raw || codec->codec_type == AVMEDIA_TYPE_DATA
        || codec->codec_type == AVMEDIA_TYPE_ATTACHMENT;
}

bool Blank(const AVPacket* packet)
{
    return packet->size >= 8 && packet->data[0] == 0
        && std::equal(packet->data + 1, packet->data + packet->size, packet->data);
}

// Gaps between packets in the order they are shown, measured through a window wider than any decoder reorders.
class TGaps
{
public:
    void Take(double start)
    {
        m_pending.push(start);
        if (m_pending.size() > ReorderDepth)
            Next();
    }
    // The longest gap and where it begins; none when a packet without a time made the order unknown.
    void Finish(TPacketTimes& times)
    {
        while (!m_pending.empty())
            Next();
        if (m_untimed || m_count < 2)
            return;
        times.LongestGap = m_longest;
        times.GapAt = m_at;
    }
    void Untimed() { m_untimed = true; }

private:
    static constexpr std::size_t ReorderDepth = 16;

    void Next()
    {
        const double start = m_pending.top();
        m_pending.pop();
        if (m_count++ > 0 && start - m_latest >= m_longest) {
            m_longest = start - m_latest;
            m_at = m_latest;
        }
        m_latest = start;
    }

    std::priority_queue<double, std::vector<double>, std::greater<>> m_pending;
    double m_latest = 0;
    double m_longest = 0;
    double m_at = 0;
    int64_t m_count = 0;
    bool m_untimed = false;
};

void Take(TPacketTimes& times, double start, double length)
{
    times.Start = std::min(times.Start.value_or(start), start);
    times.End = std::max(times.End.value_or(start), start + length);
    times.LongestPacket = std::max(times.LongestPacket, length);
}

// The encoder's rule for a clock that restarts: a packet more than a tenth of a second behind its track's last one,
// or more than ten seconds away from where its track goes on, moves every later time of the file so that it
// follows on where its track was.
class TClock
{
public:
    TClock(bool restarts, std::size_t tracks)
        : m_restarts(restarts)
        , m_next(tracks)
        , m_last(tracks)
    {
    }
    // How far the packet of the track decoded at the given time is moved, in seconds.
    double Shift(unsigned track, double decoded, double length)
    {
        if (!m_restarts)
            return 0;
        double at = decoded + m_offset;
        if (m_next[track]) {
            const double off = at - *m_next[track];
            if (off < -Jump || off > Jump || at + Behind < *m_last[track]) {
                m_offset -= off;
                at -= off;
            }
        }
        m_last[track] = at;
        m_next[track] = at + length;
        return m_offset;
    }

private:
    static constexpr double Jump = 10;
    static constexpr double Behind = 0.1;

    const bool m_restarts;
    double m_offset = 0;
    std::vector<std::optional<double>> m_next;
    std::vector<std::optional<double>> m_last;
};

struct TPacket {
    AVPacket* Packet = av_packet_alloc();
    ~TPacket() { av_packet_free(&Packet); }
};

} // namespace

std::vector<TPacketTimes> ScanPackets(AVFormatContext* context, std::string& error)
{
    std::vector<TPacketTimes> times(context->nb_streams);
    std::vector<bool> zerosPossible(context->nb_streams);
    std::vector<TGaps> gaps(context->nb_streams);
    std::vector<bool> keySeen(context->nb_streams);
    TClock clock(context->iformat && (context->iformat->flags & AVFMT_TS_DISCONT), context->nb_streams);
    for (unsigned i = 0; i < context->nb_streams; ++i)
        zerosPossible[i] = ZerosPossible(context->streams[i]->codecpar);
    TPacket holder;
    AVPacket* packet = holder.Packet;
    if (!packet) {
        error = "Out of memory";
        return times;
    }
    int result = 0;
    while ((result = av_read_frame(context, packet)) >= 0) {
        const unsigned index = static_cast<unsigned>(packet->stream_index);
        // What an edit list leaves out is there only to be decoded: no player shows it, nor does a whole output.
        if (index < times.size() && !(packet->flags & AV_PKT_FLAG_DISCARD) && (zerosPossible[index] || !Blank(packet))) {
            TPacketTimes& track = times[index];
            ++track.Packets;
            const int64_t shown = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const int64_t decoded = packet->dts != AV_NOPTS_VALUE ? packet->dts : shown;
            const double base = av_q2d(context->streams[index]->time_base);
            const double length = std::max<int64_t>(packet->duration, 0) * base;
            keySeen[index] = keySeen[index] || (packet->flags & AV_PKT_FLAG_KEY);
            if (!keySeen[index])
                ++track.BeforeKey;
            if (shown == AV_NOPTS_VALUE) {
                gaps[index].Untimed();
            } else {
                const double start = shown * base + clock.Shift(index, decoded * base, length);
                Take(track, start, length);
                gaps[index].Take(start);
                if (keySeen[index])
                    track.KeyStart = std::min(track.KeyStart.value_or(start), start);
            }
        }
        av_packet_unref(packet);
    }
    for (std::size_t i = 0; i < times.size(); ++i)
        gaps[i].Finish(times[i]);
    if (result != AVERROR_EOF)
        error = AvErrorText(result);
    return times;
}

std::optional<TPacketTimes> IndexedTimes(AVFormatContext* context, int track)
{
    const std::string demuxer = context->iformat ? context->iformat->name : "";
    if (!demuxer.starts_with("mov,") && demuxer != "avi")
        return std::nullopt;
    AVStream* stream = context->streams[track];
    const int count = avformat_index_get_entries_count(stream);
    if (count <= 0)
        return std::nullopt;
    TPacketTimes times;
    TGaps gaps;
    const AVRational base = stream->time_base;
    bool keySeen = false;
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (entry->flags & AVINDEX_DISCARD_FRAME)
            continue;
        const double at = entry->timestamp * av_q2d(base);
        Take(times, at, 0);
        gaps.Take(at);
        ++times.Packets;
        keySeen = keySeen || (entry->flags & AVINDEX_KEYFRAME);
        if (keySeen)
            times.KeyStart = std::min(times.KeyStart.value_or(at), at);
        else
            ++times.BeforeKey;
    }
    gaps.Finish(times);
    return times;
}

bool IndexPastEnd(AVFormatContext* context, int track)
{
    AVStream* stream = context->streams[track];
    const int count = avformat_index_get_entries_count(stream);
    const int64_t size = context->pb ? avio_size(context->pb) : -1;
    if (count <= 0 || size <= 0)
        return false;
    const AVIndexEntry* last = avformat_index_get_entry(stream, count - 1);
    return last->pos + last->size > size;
}

bool EditBetweenKeys(AVFormatContext* context, int track)
{
    AVStream* stream = context->streams[track];
    const int count = avformat_index_get_entries_count(stream);
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (!(entry->flags & AVINDEX_DISCARD_FRAME))
            return i > 0 && !(entry->flags & AVINDEX_KEYFRAME);
    }
    return false;
}

bool AviWithoutIndex(AVFormatContext* context)
{
    if (!context->iformat || std::string(context->iformat->name) != "avi" || !context->pb
        || !(context->pb->seekable & AVIO_SEEKABLE_NORMAL))
        return false;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        if (avformat_index_get_entries_count(context->streams[i]) > 0)
            return false;
    return context->nb_streams > 0;
}
