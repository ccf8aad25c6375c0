#pragma once

#include "engine/media/MediaProbe.h"

#include <string>
#include <vector>

// What keeps a picture's frames in the order they are shown, where its file does not say when to show them. AVI
// stores frames in decoding order with one time each, and a raw stream (.h264, .hevc, .m2v) stores no times: a
// copy of either needs its presentation times made up, and a converted picture its frames counted anew.
struct TPictureTiming {
    // A copy shows the frames in order: their times are there, or can be made up from their order (MPEG-1, MPEG-2
    // and MPEG-4 Part 2, which hold back one frame at most). The times of an H.264 or H.265 picture with B-frames
    // depend on its slices' order counts, which nothing reads when copying, so such a picture is converted.
    bool Copyable = true;
    std::vector<std::string> CopyInputOptions; // before -i, for a copy
    std::string CopyBitstreamFilters; // for a copy, empty when none
    std::string ConvertFilter; // for a converted picture, first in its filter chain; empty when none
};

// The timing of the picture of a file read by the given demuxer ("avi", "h264", "mov,mp4,m4a,3gp,3g2,mj2").
TPictureTiming PictureTimingOf(const std::string& demuxer, const TStreamInfo& picture);
