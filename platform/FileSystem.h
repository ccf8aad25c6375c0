#pragma once

#include <cstdint>
#include <string>

// File queries on UTF-8 paths.
namespace platform {

// True when a file (not a folder) is at path.
bool FileExists(const std::string& path);
// True when a folder is at path.
bool DirectoryExists(const std::string& path);
// The size of the file at path in bytes, or -1 when there is none.
int64_t FileSize(const std::string& path);

} // namespace platform
