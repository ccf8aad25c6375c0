#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct AVFormatContext;

// What the packets of one track of a file tell about its times, in seconds as the file holds them.
struct TPacketTimes {
    std::optional<double> Start;
    std::optional<double> End; // where the last packet ends
    int64_t Packets = 0;
    std::optional<double> LongestGap; // the longest stretch without a packet
    double GapAt = 0; // where that stretch begins
    double LongestPacket = 0;
    // Where the track begins from its first key frame on, and how many packets come before that one: a recording
    // that begins between key frames, whose first frames nothing can decode, nor a copy keep.
    std::optional<double> KeyStart;
    int64_t BeforeKey = 0;
};

// Reads every packet of the open file to its end, without decoding, one TPacketTimes per track. Where the demuxer's
// clock may restart (transport and program streams, two recordings joined), the times go on from where they were,
// as the encoder takes them. A packet of nothing
// but zero bytes is taken as missing, as a damaged part of a file reads, unless its codec can make one (raw pictures,
// PCM sound). error gets why the reading stopped before the end; it stays empty when the end was reached.
std::vector<TPacketTimes> ScanPackets(AVFormatContext* context, std::string& error);

// The times of a track from the demuxer's index, for the demuxers that index every packet (MP4 and its family, AVI);
// none for the others, whose index holds key frames at most.
std::optional<TPacketTimes> IndexedTimes(AVFormatContext* context, int track);

// Whether the index of a track points past the file's end: the file was cut after its header was written.
bool IndexPastEnd(AVFormatContext* context, int track);

// Whether the track's edit list begins between key frames: the frames before its start are in the file only to be
// decoded, so a copy of its packets would show them, or begin with frames nothing can decode.
bool EditBetweenKeys(AVFormatContext* context, int track);

// Whether an AVI file holds no index (a recording that was interrupted): its lengths are guesses from its bit rate.
// Asked right after the header is read, before the demuxer has indexed any packet it read.
bool AviWithoutIndex(AVFormatContext* context);
