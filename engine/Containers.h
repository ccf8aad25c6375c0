#pragma once

#include <string>
#include <vector>

// How a container takes subtitles: not at all, as they are, or converted to its one text kind.
enum class TSubtitles { None, AsTheyAre, MovText, WebVtt };

// The facts of a phone's clip that a container may hold, as bits of TContainer::CaptureTags.
enum TCaptureFact : unsigned { Place = 1, Make = 2, Model = 4, LocalTime = 8, Everything = 15 };

// What the program knows of one output container, found by the extension the encoder picks it by. The plan, the
// split and the capture tags all read this one table.
struct TContainer {
    const char* Ext; // empty for a container the table does not know
    const char* Name; // as a user reads it
    const char* Muxer; // the encoder's name for it, for the codecs it takes; empty where it is not asked
    TSubtitles Subtitles;
    bool Cover;
    bool Attachments;
    bool Iso; // the MP4 family: a track's title is kept as its handler name, H.265 is tagged for Apple
    bool Forced; // keeps a track's forced flag
    bool Timed; // keeps each frame's own time, so that pieces of a picture join in it
    unsigned CaptureTags; // what it holds of a phone's place, camera and local time (TCaptureFact bits)
    std::vector<std::string> Copies; // the codecs it takes as they are; empty: whatever its muxer takes
};

// The extension of a file name, in lower case, without its dot; empty when it has none.
std::string ExtensionOf(const std::string& name);
// The container of an output of that name.
const TContainer& ContainerOf(const std::string& outputName);
