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

bool RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string SystemErrorMessage(int code)
{
    char buffer[256] = {};
    // The GNU variant may return a static text instead of filling the buffer.
    return ::strerror_r(code, buffer, sizeof buffer);
}

} // namespace platform
