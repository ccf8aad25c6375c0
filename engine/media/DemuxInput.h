#pragma once

#include "engine/media/MediaProbe.h"

#include <string>

struct AVFormatContext;

// A file's context for the encoder's own demuxers, closed however the reading of it ends.
struct TDemuxInput {
    AVFormatContext* Context;

    TDemuxInput();
    ~TDemuxInput();
    TDemuxInput(const TDemuxInput&) = delete;
    TDemuxInput& operator=(const TDemuxInput&) = delete;

    // Every read gives up once stop is set, so that no file holds up whoever waits for the reading.
    void StopWith(const TStopFlag* stop);
};

// What an error code of the demuxers or muxers means, in their own words.
std::string AvErrorText(int error);
