#pragma once

#include <cstdint>
#include <string>

// File queries on UTF-8 paths.
namespace platform {

// True when a file (not a folder) is at path.
bool FileExists(const std::string& path);
// True when a folder is at path.
bool DirectoryExists(const std::string& path);
// True when a file (not a folder) is at path that this process may run.
bool IsExecutableFile(const std::string& path);
// Removes the file at path. True when no file is there afterwards: also when none was, or a folder is there
// (folders are left alone); false with the system's error code in error when the file stays.
bool RemoveFile(const std::string& path, int& error);
// The size of the file at path in bytes, or -1 when there is none.
int64_t FileSize(const std::string& path);
// The size of the file at path in bytes; on failure -1 with the system's error code in error (a folder
// gives EISDIR, since it has no size of its own).
int64_t FileSize(const std::string& path, int& error);
// The system's own text for an error code, as strerror gives it.
std::string SystemErrorMessage(int code);

} // namespace platform
