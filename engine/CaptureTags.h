#pragma once

#include "engine/Containers.h"

#include <map>
#include <string>
#include <vector>

// One thing a camera recorded about a clip, as the tag the output is given.
struct TCaptureTag {
    std::string Key; // the encoder's name for the tag: "location", "make", "model", "date"
    std::string Value;
    std::string What; // "place of filming", as a note names it
};

// Where, with what and at what local time a clip was filmed, as far as the output's container can hold it.
struct TCaptureTags {
    std::vector<TCaptureTag> Tags;
    std::vector<std::string> Notes; // one line that names what the container cannot hold; none when it holds all
};

// An iPhone writes the place, the camera's make and model and the local time with its zone under Apple's own keys
// (com.apple.quicktime.location.ISO6709, ...make, ...model, ...creationdate), which no container but a MOV
// written as Apple does keeps by those names; older QuickTime files have place, make and model under the
// encoder's names. The tags for an output in the container from the source's tags:
// place into MP4, MOV and 3GP's location and every container with free tags, make and model into MOV and those
// with free tags, the local time into MP4's and MOV's date and the free tags; an extension the table does not
// know gets every tag, which its muxer keeps or drops, and no note.
TCaptureTags CaptureTagsFor(const std::map<std::string, std::string>& sourceTags, const TContainer& container);
