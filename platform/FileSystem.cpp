#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsExecutableFile(const std::string& path)
{
    return FileExists(path) && ::access(path.c_str(), X_OK) == 0;
}

bool RemoveFile(const std::string& path, int& error)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    const int failure = errno;
    // unlink answers EISDIR (Linux) or EPERM (POSIX) for a folder, which counts as no file.
    if (DirectoryExists(path))
        return true;
    error = failure;
    return false;
}

int64_t FileSize(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

int64_t FileSize(const std::string& path, int& error)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = errno;
        return -1;
    }
    if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
        return -1;
    }
    error = 0;
    return static_cast<int64_t>(info.st_size);
}

std::string SystemErrorMessage(int code)
{
    char buffer[256] = {};
    // The GNU variant may return a static text instead of filling the buffer.
    return ::strerror_r(code, buffer, sizeof buffer);
}

} // namespace platform
