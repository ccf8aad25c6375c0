#pragma once

#include "toolkit/Exception.h"

#include <atomic>
#include <cstdint>
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

// A file whose first megabytes hold nothing the demuxers know as media: zeros, or data of no known kind.
class ENotMediaError : public EProbeError
{
public:
    ENotMediaError();
    // Something that is no media file for another reason: a playlist of other files, a pipe, a device.
    explicit ENotMediaError(const std::string& why);
};

// An MP4 or MOV file that begins as one but whose index never came: it cannot be played (yet), and is told apart
// from a file that is no video at all. Its message is whole, as ENotMediaError's.
class EIndexMissingError : public ENotMediaError
{
public:
    EIndexMissingError();
};

// A read given up because it was asked to stop.
class EReadStopped : public Exception
{
public:
    EReadStopped();
};

// Set from any thread, it ends a read within moments.
using TStopFlag = std::atomic<bool>;

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
    std::string Undecodable; // why nothing can decode the track ("it has no channels"), empty when something can
    // Why a copy of the track's packets would not show what a player shows ("its edit list begins between key
    // frames"), empty when it would.
    std::string NotCopyable;
    // The track's times in seconds, as the file holds them: where it starts and where its last packet ends. From
    // its packets when the file was read to its end, else from the header; none when neither tells.
    std::optional<double> Start;
    std::optional<double> End;
    int64_t Packets = -1; // how many packets it has, -1 when unknown
    // The longest stretch without a packet, as far as its packets or an index of every packet tell; none when unknown.
    std::optional<double> LongestGap;
    double GapAt = 0; // where that stretch begins
    // Where the track begins from its first key frame on, when packets come before that one (a recording that
    // begins between key frames): how many, as far as its packets or an index of every packet tell.
    std::optional<double> KeyStart;
    int64_t BeforeKey = 0;
    // The time of one frame or audio frame, seconds; 0 when unknown. A picture slower than a frame a second (a still
    // picture with sound) has its own frames' times measured when the file is read to its end.
    double Step = 0;
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
    std::optional<double> Duration; // the file's length, as told or estimated
    std::optional<double> Start; // the file's first time, from which the encoder counts
    // The length the header claims, none when it claims none and the length is only estimated.
    std::optional<double> Told;
    bool ReadToEnd = false; // every packet was read: the tracks' times are their packets' own
    bool TimesGuessed = false; // the file holds no times (a raw stream): any length is a guess
    bool Unindexed = false; // an AVI without its index: the lengths it seems to tell are guesses, its packets are read
    std::string ReadError; // why reading the packets stopped before the end; empty when it reached the end
    std::vector<TStreamInfo> Streams;
    std::vector<TChapterInfo> Chapters;
    std::map<std::string, std::string> Tags;

    // A moving picture: a picture track that is not an attached cover. Only tracks something can decode count.
    bool HasPicture() const;
    bool HasSound() const;
    int Count(TStreamKind kind) const;
    // How long the given tracks last from the file's start: the latest end among them, else the file's length.
    std::optional<double> Length(const std::vector<int>& tracks) const;
    // Where the file's packets end when it was read to its end, from the file's start.
    std::optional<double> PacketsEnd() const;
};

// How much of a file a probe reads. Past its header, the search for its tracks' details reads at most MaxProbeBytes
// and MaxProbeSeconds of its media, whatever the file holds.
enum class TProbeDepth {
    Header, // the header only
    Packets, // every packet to the end, no decoding
    Untrusted, // every packet where the header does not tell each track's length or its index runs past the file
};

constexpr int64_t MaxProbeBytes = 8 << 20;
constexpr double MaxProbeSeconds = 5; // of media analysed for the tracks' details

// Reads what path holds, in this process. Throws ENotMediaError for a file the demuxers do not know within the
// bound, for a playlist or a reference that would have the demuxer read other files or addresses, and for what is
// not a plain file (a pipe, whose reading would wait for a writer, or a device), EProbeError when the demuxer cannot read it, EReadStopped once stop is set.
TMediaInfo ProbeMedia(
    const std::string& path, TProbeDepth depth = TProbeDepth::Header, const TStopFlag* stop = nullptr);
