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
};

// Reads every packet of the open file to its end, without decoding, one TPacketTimes per track. A packet of nothing
// but zero bytes is taken as missing, as a damaged part of a file reads, unless its codec can make one (raw pictures,
// PCM sound). error gets why the reading stopped before the end; it stays empty when the end was reached.
std::vector<TPacketTimes> ScanPackets(AVFormatContext* context, std::string& error);

// The times of a track from the demuxer's index, for the demuxers that index every packet (MP4 and its family, AVI);
// none for the others, whose index holds key frames at most.
std::optional<TPacketTimes> IndexedTimes(AVFormatContext* context, int track);

// Whether the index of a track points past the file's end: the file was cut after its header was written.
bool IndexPastEnd(AVFormatContext* context, int track);
