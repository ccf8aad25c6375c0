#include "engine/overwriteManager.h"

#include "engine/OutputReservation.h"
#include "platform/FileSystem.h"

namespace {
// Where the extension of path's file name begins (its last dot), or npos when the name has none.
std::size_t ExtensionStart(const std::string& path)
{
    std::size_t nameStart = path.find_last_of('/');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::size_t dot = path.find_last_of('.');
    return dot != std::string::npos && dot >= nameStart ? dot : std::string::npos;
}
} // namespace

std::string TOverwriteManager::UniqueName(const std::string& path) const
{
    return FirstFree(path, [](const std::string& candidate) {
        return platform::FileExists(candidate) || platform::FileExists(ReservationPath(candidate));
    });
}

std::string TOverwriteManager::FirstFree(const std::string& path, const std::function<bool(const std::string&)>& taken)
{
    std::size_t dot = ExtensionStart(path);
    const std::string suffix = "_2" + (dot == std::string::npos ? std::string() : path.substr(dot));
    std::string result = path;
    while (taken(result)) {
        std::size_t resultDot = ExtensionStart(result);
        result = (resultDot == std::string::npos ? result : result.substr(0, resultDot)) + suffix;
    }
    return result;
}
