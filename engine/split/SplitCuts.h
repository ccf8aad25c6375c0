#pragma once

#include "engine/media/MediaProbe.h"

#include <cstdint>
#include <string>
#include <vector>

// Where a source's picture is cut into pieces of about equal length: at keyframes, so that every piece can be
// decoded on its own, and given as the keyframes' own presentation times, so that each frame falls into exactly
// one piece whatever order the frames are stored in.
struct TSplitCuts {
    int Track = -1; // the source's picture track
    int TimeBaseNum = 1; // the track's clock: times are counted in TimeBaseNum / TimeBaseDen seconds
    int TimeBaseDen = 1;
    int64_t StartTime = 0; // the file's start in microseconds: what a whole conversion takes as its zero
    std::vector<int64_t> Cuts; // ascending; piece p (from 0) holds the frames from Cuts[p - 1] up to Cuts[p]
    // Where the reading of piece p starts, where that is not at its cut: in a file without an index a seek only
    // lands near a time, so it is aimed at the keyframe before the cut and the frames before the cut are left out.
    std::vector<int64_t> Seeks;
    // The frames of each piece in the source, and the time of each piece's last frame: what its file must hold.
    // Empty where the source's packets do not tell them sure.
    std::vector<int64_t> Frames;
    std::vector<int64_t> LastTimes;

    std::size_t Pieces() const { return Cuts.size() + 1; }
    // The time to seek to before piece p, in microseconds (at or just after its first keyframe, so that the seek
    // lands on it, or on the keyframe Seeks names); none for the first piece.
    int64_t SeekMicroseconds(std::size_t piece) const;
    // The frames of piece p as a filter that keeps them: "trim=start_pts=A:end_pts=B" (either end left out for the
    // first and the last piece); empty for a single piece.
    std::string Trim(std::size_t piece) const;
};

// The cuts into at most pieces pieces of the picture track of the file at path, at keyframes found without
// decoding anything: from the container's index, or in MPEG program and transport streams, which have none, from
// one pass over the packets. Fewer where the keyframes are too far apart; none when no keyframes are found so
// (then it is converted whole). Throws EProbeError when the file cannot be read, EReadStopped once stop is set.
// container: the demuxer the probe found (TMediaInfo::Container), so that the file is read as the probe read it,
// also through a path that tells nothing of its kind (a held descriptor's).
TSplitCuts FindSplitCuts(const std::string& path, const std::string& container, int track, int pieces,
    const TStopFlag* stop = nullptr);
