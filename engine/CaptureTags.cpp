#include "engine/CaptureTags.h"

#include <algorithm>

namespace
{

struct TFact {
    TCaptureFact Held;
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

std::string Listed(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

} // namespace

TCaptureTags CaptureTagsFor(const std::map<std::string, std::string>& sourceTags, const TContainer& container)
{
    const unsigned held = container.CaptureTags;
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
        result.Notes.push_back("The " + Listed(lost) + (lost.size() > 1 ? " are" : " is") + " left out: " + container.Name
            + " cannot hold " + (lost.size() > 1 ? "them." : "it."));
    return result;
}
