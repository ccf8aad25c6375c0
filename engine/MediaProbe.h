#pragma once

#include "toolkit/Exception.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// A file the demuxer cannot read as media; the message is the demuxer's own words for why ("moov atom not
// found", "Invalid data found when processing input").
class EProbeError : public Exception
{
public:
    using Exception::Exception;
};

enum class TStreamKind { Video, Audio, Subtitle, Data, Attachment, Other };

// One track of a media file as the demuxer sees it.
struct TStreamInfo {
    TStreamKind Kind = TStreamKind::Other;
    std::string Codec; // the codec's short name: "h264", "aac", "subrip", "hdmv_pgs_subtitle"
    std::string Language; // the language tag, empty when none
    std::string Title; // empty when none
    bool Default = false;
    bool Forced = false;
    bool AttachedPicture = false; // a cover picture, not a moving picture
    double Rotation = 0; // degrees the picture is turned for showing, counter-clockwise
    std::optional<double> Duration; // seconds, when the container tells
    std::string Undecodable; // why nothing can decode the track ("it has no channels"), empty when something can
    // Pictures.
    int Width = 0;
    int Height = 0;
    int BitDepth = 0;
    bool Interlaced = false;
    bool Reordered = false; // stored in decoding order, which is not the order they are shown in (B-frames)
    std::string ColorTransfer; // "bt709", "smpte2084", "arib-std-b67", empty when unknown
    std::string ColorPrimaries; // "bt709", "bt2020", empty when unknown
    // Sound.
    int Channels = 0;
    std::string ChannelLayout; // "stereo", "5.1(side)", empty when unknown
    // Subtitles.
    bool TextSubtitle = false; // text a muxer can turn into another text format, not pictures
};

struct TChapterInfo {
    double Start = 0;
    double End = 0;
    std::string Title;
};

// What the demuxer finds in a media file: its tracks, chapters, global tags and length.
struct TMediaInfo {
    std::string Container; // the demuxer's name: "mov,mp4,m4a,3gp,3g2,mj2", "matroska,webm", "wav"
    std::optional<double> Duration;
    std::vector<TStreamInfo> Streams;
    std::vector<TChapterInfo> Chapters;
    std::map<std::string, std::string> Tags;

    // A moving picture: a picture track that is not an attached cover. Only tracks something can decode count.
    bool HasPicture() const;
    bool HasSound() const;
    int Count(TStreamKind kind) const;
    // How long the tracks of the kinds asked for last: the longest of those whose length the container tells,
    // else the file's length.
    std::optional<double> Length(bool picture, bool sound) const;
};

// Reads what path holds, in this process. Throws EProbeError when the demuxer cannot read it.
TMediaInfo ProbeMedia(const std::string& path);
