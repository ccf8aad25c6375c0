#include "engine/media/PictureTiming.h"

#include <algorithm>
#include <array>

namespace
{

// The demuxers whose pictures come without presentation times: AVI and the raw video streams whose codecs
// reorder frames (raw MPEG-4 Part 2 gets its times from its parser).
bool GivesPresentationTimes(const std::string& demuxer)
{
    static constexpr std::array<const char*, 8> timeless
        = { "avi", "h264", "hevc", "mpegvideo", "vc1", "cavsvideo", "avs2", "avs3" };
    return std::find(timeless.begin(), timeless.end(), demuxer) == timeless.end();
}

bool HoldsBackOneFrame(const std::string& codec)
{
    return codec == "mpeg4" || codec == "mpeg1video" || codec == "mpeg2video";
}

} // namespace

TPictureTiming PictureTimingOf(const std::string& demuxer, const TStreamInfo& picture)
{
    TPictureTiming timing;
    if (GivesPresentationTimes(demuxer))
        return timing;
    // Even frames in order need times of their own: Matroska takes no packet without one.
    timing.CopyInputOptions = { "-fflags", "+genpts" };
    if (!picture.Reordered)
        return timing;
    timing.Copyable = HoldsBackOneFrame(picture.Codec);
    // The times made up start one frame late, which would put the picture behind the sound.
    timing.CopyBitstreamFilters = "setts=pts=PTS-STARTPTS:dts=DTS-STARTPTS";
    // DivX stores a B-frame in the packet of the frame after it ("packed"), which MP4 and Matroska players do not
    // read; a stream that is not packed passes unchanged.
    if (picture.Codec == "mpeg4" && demuxer == "avi")
        timing.CopyBitstreamFilters = "mpeg4_unpack_bframes," + timing.CopyBitstreamFilters;
    // The decoder shows the frames in order, but with the times of the packets they came in; frame N is shown at
    // N frames' time, as the file's fixed rate has it.
    timing.ConvertFilter = "setpts=N/FRAME_RATE/TB";
    return timing;
}
