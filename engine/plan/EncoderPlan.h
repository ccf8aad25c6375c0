#pragma once

#include "engine/plan/EncoderTask.h"
#include "engine/plan/FormatParams.h"
#include "engine/media/MediaProbe.h"
#include "toolkit/Exception.h"

#include <string>
#include <vector>

// A catalogue entry whose plan cannot be followed: a word the plan does not know, or params it cannot rework.
class EPlanError : public Exception
{
public:
    using Exception::Exception;
};

// The encoder's parameters for one source, word by word, and notes on what of the source they cannot keep as it is.
struct TEncoderPlan {
    std::vector<std::string> InputOptions; // how the encoder reads the source: words before its -i
    std::vector<std::string> Arguments;
    // One line each: a track left out that the format keeps in general ("Track 4 (subtitles: hdmv_pgs_subtitle) is
    // left out: ..."), a flag or a camera's tag the container cannot hold, a value of the source cut to
    // MaxSourceValue bytes.
    std::vector<std::string> Notes;
    std::vector<TMappedTrack> Tracks; // the source's tracks the encoder writes, in the output's order

    // The same options apart, so that the picture can be converted on its own in pieces and the rest on its own:
    // the options for every track (codecs, rates, the container's flags), the picture's own (its map, tag and
    // colour; its filters apart), and those of every other track with the file's tags. Filled by a plan only.
    std::vector<std::string> General;
    int PictureTrack = -1; // the source's track of the picture; -1 when none is kept
    bool PictureCopied = false;
    std::string PictureFilter;
    std::vector<std::string> Picture;
    std::vector<std::string> Rest;
};

// The most bytes of one value of the source (a title, a date) that the plan hands on; a longer one is cut, since the
// system takes no argument over 128 kB and no player shows such a title.
constexpr std::size_t MaxSourceValue = 4096;

// The parameters for converting source by task's catalogue entry. An entry without plan words (the old form) gets
// its params as they stand, split into words by the runner's rule. Plan words, blank-separated, in any order:
//   tracks       every sound track and every subtitle track the container (by the extension) takes, each with
//                its language, title, default and forced flags; MKV keeps attached files, MP4 a cover picture
//   copy         a stream whose codec the container takes as it is is copied bit for bit, the rest converted
//   surround     the params' -b:a is the stereo rate: each converted sound track gets it scaled by its channels
//   progressive  an interlaced source is deinterlaced
//   8-bit        an HDR source (PQ or HLG) is tone-mapped to BT.709 and tagged so
// With any word the plan picks the tracks itself (the source's first moving picture, never a cover, and its
// first or every sound track as the params keep them, each one something can decode) and turns the params' -vf
// and -af into per-track filters. Every track keeps its default and forced flags as the source has them, a
// phone's place, camera and local time go where the container holds them (CaptureTagsFor), no timecode track is
// made, a picture whose file gives no presentation times gets them made up or is converted (PictureTimingOf), and a
// converted picture keeps each frame's time where the container can hold a variable frame rate (MP4, MOV, MKV,
// WebM) and the params set no rate of their own.
// Throws EPlanError for an unknown word or a -filter_complex the plan cannot rework.
TEncoderPlan PlanEncoding(const TEncoderTask& task, const TMediaInfo& source);
