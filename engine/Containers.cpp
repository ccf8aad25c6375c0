#include "engine/Containers.h"

#include <algorithm>
#include <cctype>

namespace
{

const std::vector<std::string> isoCopies = { "h264", "hevc", "av1", "mpeg4", "aac", "mp3", "ac3", "eac3" };

// MP4 keeps the place in its 3GPP location box and the time as the date, but has no box for make and model; the
// free-tag containers keep all four.
const TContainer containers[] = {
    { "mkv", "MKV", "matroska", TSubtitles::AsTheyAre, false, true, false, true, true, Everything, {} },
    { "mp4", "MP4", "mp4", TSubtitles::MovText, true, false, true, true, true, Place | LocalTime, isoCopies },
    { "m4v", "M4V", "", TSubtitles::None, false, false, false, false, true, Everything, {} },
    { "mov", "MOV", "mov", TSubtitles::MovText, false, false, true, false, true, Everything, isoCopies },
    { "webm", "WebM", "webm", TSubtitles::WebVtt, false, false, false, true, true, Everything,
        { "vp8", "vp9", "av1", "opus", "vorbis" } },
    { "m4a", "M4A", "", TSubtitles::None, false, false, false, false, false, Place | LocalTime, {} },
    { "3gp", "3GP", "", TSubtitles::None, false, false, false, false, false, Place, {} },
    { "avi", "AVI", "", TSubtitles::None, false, false, false, false, false, LocalTime, {} },
    { "wav", "WAV", "", TSubtitles::None, false, false, false, false, false, LocalTime, {} },
    { "mpg", "MPEG", "", TSubtitles::None, false, false, false, false, false, 0, {} },
    { "gif", "GIF", "", TSubtitles::None, false, false, false, false, false, 0, {} },
};

const TContainer unknown = { "", "this format", "", TSubtitles::None, false, false, false, false, false, Everything, {} };

} // namespace

std::string ExtensionOf(const std::string& name)
{
    const std::size_t slash = name.rfind('/');
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

const TContainer& ContainerOf(const std::string& outputName)
{
    const std::string ext = ExtensionOf(outputName);
    for (const TContainer& container : containers)
        if (ext == container.Ext)
            return container;
    return unknown;
}
