#include "engine/CaptureTags.h"

#include <algorithm>

namespace
{

enum THeld : unsigned { Place = 1, Make = 2, Model = 4, LocalTime = 8, Everything = 15 };

struct TFact {
    THeld Held;
    const char* AppleKey;
    const char* Key; // the encoder's name, which older QuickTime files use too
    bool OlderForm; // a source's tag under Key is this fact too
    const char* What;
};

// A source's "date" is often a release year; only Apple's key is known to be the time of filming.
const TFact facts[] = {
    { Place, "com.apple.quicktime.location.ISO6709", "location", true, "place of filming" },
    { Make, "com.apple.quicktime.make", "make", true, "camera's make" },
    { Model, "com.apple.quicktime.model", "model", true, "camera's model" },
    { LocalTime, "com.apple.quicktime.creationdate", "date", false, "local time of filming" },
};

struct TContainerTags {
    const char* Ext;
    const char* Name;
    unsigned Held;
};

// What each muxer writes of these tags and the encoder reads back. MP4 keeps the place in its 3GPP location box
// and the time as the date, but has no box for make and model; the free-tag containers keep all four.
const TContainerTags containers[] = {
    { "mp4", "MP4", Place | LocalTime },
    { "m4a", "M4A", Place | LocalTime },
    { "3gp", "3GP", Place },
    { "mov", "MOV", Everything },
    { "avi", "AVI", LocalTime },
    { "wav", "WAV", LocalTime },
    { "mpg", "MPEG", 0 },
    { "gif", "GIF", 0 },
};

std::string Listed(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

} // namespace

TCaptureTags CaptureTagsFor(const std::map<std::string, std::string>& sourceTags, const std::string& ext)
{
    const auto known = std::find_if(
        std::begin(containers), std::end(containers), [&](const TContainerTags& c) { return ext == c.Ext; });
    const unsigned held = known == std::end(containers) ? Everything : known->Held;
    TCaptureTags result;
    std::vector<std::string> lost;
    for (const TFact& fact : facts) {
        auto value = sourceTags.find(fact.AppleKey);
        if (value == sourceTags.end() && fact.OlderForm)
            value = sourceTags.find(fact.Key);
        if (value == sourceTags.end() || value->second.empty())
            continue;
        if (held & fact.Held)
            result.Tags.push_back({ fact.Key, value->second, fact.What });
        else
            lost.push_back(fact.What);
    }
    if (!lost.empty())
        result.Notes.push_back("The " + Listed(lost) + (lost.size() > 1 ? " are" : " is") + " left out: " + known->Name
            + " cannot hold " + (lost.size() > 1 ? "them." : "it."));
    return result;
}
