#include "engine/PictureJoin.h"

#include "engine/DemuxInput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstring>
#include <functional>
#include <queue>

namespace
{

std::string PieceName(std::size_t piece, std::size_t pieces)
{
    return "Piece " + std::to_string(piece + 1) + " of " + std::to_string(pieces);
}

// One piece opened for reading, with what its frames show of it as they go by.
class TPiece
{
public:
    TPiece(const std::string& path, const TSplitCuts& cuts, std::size_t piece, const std::string& stamp)
        : m_cuts(cuts)
        , m_piece(piece)
    {
        int result = avformat_open_input(&m_context, path.c_str(), nullptr, nullptr);
        if (result >= 0)
            result = avformat_find_stream_info(m_context, nullptr);
        if (result < 0)
            Fail("cannot be read (" + AvErrorText(result) + ")");
        if (m_context->nb_streams != 1 || m_context->streams[0]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            Fail("holds something else than one picture");
        // A piece carries the stamp of the conversion it was made for: one made for another source, format, choices
        // or cuts is no piece of this one, whatever its name.
        const AVDictionaryEntry* carried = av_dict_get(m_context->metadata, PieceStampKey, nullptr, 0);
        if (!stamp.empty() && (!carried || stamp != carried->value))
            Fail("was made for another conversion (another source, format, choices or cuts)");
        m_packet = av_packet_alloc();
    }
    ~TPiece()
    {
        av_packet_free(&m_packet);
        avformat_close_input(&m_context);
    }
    TPiece(const TPiece&) = delete;
    TPiece& operator=(const TPiece&) = delete;

    const AVStream& Stream() const { return *m_context->streams[0]; }

    // The next packet, or nullptr at the end, after which Check tells whether the frames were the piece's.
    AVPacket* Next()
    {
        av_packet_unref(m_packet);
        const int result = av_read_frame(m_context, m_packet);
        if (result == AVERROR_EOF)
            return nullptr;
        if (result < 0)
            Fail("cannot be read to its end (" + AvErrorText(result) + ")");
        if (m_packet->pts == AV_NOPTS_VALUE)
            Fail("has a frame without a time");
        // The source's clock, in which the cuts are given.
        const int64_t time
            = av_rescale_q(m_packet->pts, Stream().time_base, { m_cuts.TimeBaseNum, m_cuts.TimeBaseDen });
        m_first = m_frames == 0 ? time : std::min(m_first, time);
        m_last = m_frames == 0 ? time : std::max(m_last, time);
        ++m_frames;
        return m_packet;
    }

    void Check() const
    {
        if (m_frames == 0)
            Fail("holds no frame");
        if (m_piece > 0 && m_first != m_cuts.Cuts[m_piece - 1])
            Fail("begins at " + std::to_string(m_first) + " instead of its cut at "
                + std::to_string(m_cuts.Cuts[m_piece - 1]));
        if (m_piece < m_cuts.Cuts.size() && m_last >= m_cuts.Cuts[m_piece])
            Fail("runs past its cut at " + std::to_string(m_cuts.Cuts[m_piece]));
        // Every frame the source has between the cuts, to the last one.
        if (m_piece < m_cuts.Frames.size() && m_frames != m_cuts.Frames[m_piece])
            Fail("has " + std::to_string(m_frames) + " frames; the source has " + std::to_string(m_cuts.Frames[m_piece])
                + " between its cuts");
        if (m_piece < m_cuts.LastTimes.size() && m_last != m_cuts.LastTimes[m_piece])
            Fail("ends at " + std::to_string(m_last) + " instead of its last frame at "
                + std::to_string(m_cuts.LastTimes[m_piece]));
    }

    [[noreturn]] void Fail(const std::string& why) const
    {
        throw EJoinError(PieceName(m_piece, m_cuts.Pieces()) + " of the picture " + why + ".");
    }

private:
    const TSplitCuts& m_cuts;
    const std::size_t m_piece;
    AVFormatContext* m_context = nullptr;
    AVPacket* m_packet = nullptr;
    int64_t m_frames = 0;
    int64_t m_first = 0;
    int64_t m_last = 0;
};

bool Alike(const AVCodecParameters& a, const AVCodecParameters& b)
{
    return a.codec_id == b.codec_id && a.width == b.width && a.height == b.height && a.format == b.format
        && a.extradata_size == b.extradata_size
        && (a.extradata_size == 0 || std::memcmp(a.extradata, b.extradata, a.extradata_size) == 0);
}

// Gives the joined frames decoding times the muxer takes: rising, and never after a frame's own time. A frame is
// decoded at most Delay frames before its turn to be shown, so the k-th frame in decoding order may be decoded at
// the time of the (k - Delay)-th frame in showing order, which is the least time waiting once k frames are in.
class TDecodingTimes
{
public:
    explicit TDecodingTimes(int delay)
        : m_delay(delay)
    {
    }

    int64_t Next(int64_t pts)
    {
        m_waiting.push(pts);
        if (m_count++ < m_delay)
            return m_waiting.top() - (m_delay - m_count + 1);
        const int64_t dts = m_waiting.top();
        m_waiting.pop();
        return dts;
    }

private:
    const int m_delay;
    int64_t m_count = 0;
    std::priority_queue<int64_t, std::vector<int64_t>, std::greater<int64_t>> m_waiting;
};

// Closes and finishes the joined file however the join ends; a file left half written is the caller's to remove.
struct TOutput {
    AVFormatContext* Context = nullptr;
    ~TOutput()
    {
        if (Context && Context->pb)
            avio_closep(&Context->pb);
        avformat_free_context(Context);
    }
};

} // namespace

std::optional<std::string> PieceFault(
    const std::string& path, const TSplitCuts& cuts, std::size_t piece, const std::string& stamp)
{
    try {
        TPiece reader(path, cuts, piece, stamp);
        while (reader.Next()) { }
        reader.Check();
    } catch (const EJoinError& error) {
        return error.Message();
    }
    return std::nullopt;
}

void JoinPictures(const std::vector<std::string>& pieces, const TSplitCuts& cuts, const std::string& stamp,
    const std::string& output, const std::atomic<bool>& stop)
{
    if (pieces.size() != cuts.Pieces())
        throw EJoinError(
            "The picture has " + std::to_string(cuts.Pieces()) + " pieces, not " + std::to_string(pieces.size()) + ".");
    TOutput out;
    int result = avformat_alloc_output_context2(&out.Context, nullptr, "nut", output.c_str());
    if (result < 0)
        throw EJoinError("The joined picture cannot be made (" + AvErrorText(result) + ").");
    AVStream* joined = avformat_new_stream(out.Context, nullptr);
    const AVRational source { cuts.TimeBaseNum, cuts.TimeBaseDen };
    AVRational base {};
    int64_t shift = 0;
    std::optional<TDecodingTimes> decoding;
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        TPiece piece(pieces[p], cuts, p, stamp);
        const AVStream& in = piece.Stream();
        if (p == 0) {
            if ((result = avcodec_parameters_copy(joined->codecpar, in.codecpar)) < 0)
                throw EJoinError("The joined picture cannot be made (" + AvErrorText(result) + ").");
            joined->codecpar->codec_tag = 0;
            joined->time_base = in.time_base;
            av_dict_copy(&joined->metadata, in.metadata, 0);
            if ((result = avio_open(&out.Context->pb, output.c_str(), AVIO_FLAG_WRITE)) < 0
                || (result = avformat_write_header(out.Context, nullptr)) < 0)
                throw EJoinError("The joined picture cannot be written (" + AvErrorText(result) + ").");
            base = joined->time_base;
            // Taken off as a whole conversion takes it off: in the source's clock first.
            shift = av_rescale_q(av_rescale_q(cuts.StartTime, AV_TIME_BASE_Q, source), source, base);
        } else if (!Alike(*in.codecpar, *joined->codecpar)) {
            piece.Fail("was encoded otherwise than piece 1");
        }
        if (!decoding)
            decoding.emplace(std::max(in.codecpar->video_delay, 0));
        while (AVPacket* packet = piece.Next()) {
            if (stop)
                throw EJoinError("Stopped.");
            av_packet_rescale_ts(packet, in.time_base, base);
            packet->pts -= shift;
            packet->dts = decoding->Next(packet->pts);
            if (packet->dts > packet->pts)
                piece.Fail("shows frames later than its encoder said");
            packet->stream_index = 0;
            packet->pos = -1;
            if ((result = av_write_frame(out.Context, packet)) < 0)
                throw EJoinError("The joined picture cannot be written (" + AvErrorText(result) + ").");
        }
        piece.Check();
    }
    if ((result = av_write_trailer(out.Context)) < 0 || (result = avio_closep(&out.Context->pb)) < 0)
        throw EJoinError("The joined picture cannot be written (" + AvErrorText(result) + ").");
}
