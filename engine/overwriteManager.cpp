#include "engine/overwriteManager.h"

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

// The path as a message can carry it: a 0 byte would end the text there.
std::string Shown(const std::string& path)
{
    std::string shown;
    for (char c : path)
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    return shown;
}

[[noreturn]] void CannotMake(const std::string& path, const std::string& reason)
{
    throw EOutputNameError("No output file name can be made from \"" + Shown(path) + "\". " + reason);
}
} // namespace

std::string TOverwriteManager::UniqueName(const std::string& path) const
{
    return FirstFree(path, [&](const std::string& candidate) {
        // A candidate whose test fails is never taken for a free one.
        int error = 0;
        const bool found = platform::FileExists(candidate, error);
        if (error != 0)
            CannotMake(path, platform::SystemErrorMessage(error));
        return found;
    });
}

std::string TOverwriteManager::FirstFree(const std::string& path, const std::function<bool(const std::string&)>& taken)
{
    // The system reads a name only up to a 0 byte, so the test would look at another file, the same one on
    // every pass, and the loop below would never end.
    if (platform::HoldsZeroByte(path))
        CannotMake(path, "The name holds a 0 byte");
    std::size_t dot = ExtensionStart(path);
    const std::string suffix = "_2" + (dot == std::string::npos ? std::string() : path.substr(dot));
    std::string result = path;
    // Every pass makes the name longer, so the file system's name limit ends a run of clashes at the latest.
    while (taken(result)) {
        std::size_t resultDot = ExtensionStart(result);
        result = (resultDot == std::string::npos ? result : result.substr(0, resultDot)) + suffix;
    }
    return result;
}
