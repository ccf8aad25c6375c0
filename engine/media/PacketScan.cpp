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
        if (index < times.size() && (zerosPossible[index] || !Blank(packet))) {
            TPacketTimes& track = times[index];
            ++track.Packets;
            const int64_t shown = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const AVRational base = context->streams[index]->time_base;
            if (shown == AV_NOPTS_VALUE) {
                gaps[index].Untimed();
            } else {
                Take(track, shown * av_q2d(base), std::max<int64_t>(packet->duration, 0) * av_q2d(base));
                gaps[index].Take(shown * av_q2d(base));
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
    for (int i = 0; i < count; ++i) {
        const double at = avformat_index_get_entry(stream, i)->timestamp * av_q2d(base);
        Take(times, at, 0);
        gaps.Take(at);
    }
    gaps.Finish(times);
    times.Packets = count;
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
