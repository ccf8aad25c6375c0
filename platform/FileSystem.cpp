#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform
{

namespace
{

    // stat on the whole path; EINVAL instead of a query about the part before a 0 byte.
    int StatWhole(const std::string& path, struct stat& info)
    {
        if (HoldsZeroByte(path))
            return EINVAL;
        return ::stat(path.c_str(), &info) == 0 ? 0 : errno;
    }

} // namespace

bool FileExists(const std::string& path)
{
    struct stat info {
    };
    return StatWhole(path, info) == 0 && !S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path, int& error)
{
    struct stat info {
    };
    const int failure = StatWhole(path, info);
    error = failure == ENOENT ? 0 : failure;
    return failure == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat info {
    };
    return StatWhole(path, info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::string& path, int& error)
{
    if (HoldsZeroByte(path)) {
        error = EINVAL;
        return false;
    }
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            error = errno;
            return false;
        }
        if (end == std::string::npos)
            break;
    }
    if (DirectoryExists(path))
        return true;
    error = ENOTDIR;
    return false;
}

bool IsRegularFile(const std::string& path)
{
    struct stat info {
    };
    return StatWhole(path, info) == 0 && S_ISREG(info.st_mode);
}

int IdentityOf(const std::string& path, TFileIdentity& identity)
{
    struct stat info {
    };
    if (const int error = StatWhole(path, info))
        return error;
    identity = { static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino), info.st_size,
        int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec };
    return 0;
}

int WriteNewFile(const std::string& path, const std::string& text)
{
    if (HoldsZeroByte(path))
        return EINVAL;
    // Written whole under a name of this process's first, then linked to its name, which fails when anything
    // stands there: a reader never sees half the text, and of two writers one wins.
    const std::string part = path + ".part-" + std::to_string(::getpid());
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = 0;
    for (std::size_t done = 0; done < text.size() && error == 0;) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote > 0)
            done += static_cast<std::size_t>(wrote);
        else if (errno != EINTR)
            error = wrote < 0 ? errno : EIO;
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error == 0 && ::link(part.c_str(), path.c_str()) != 0)
        error = errno;
    ::unlink(part.c_str());
    return error;
}

bool NameTaken(const std::string& path, int& error)
{
    struct stat info {
    };
    if (HoldsZeroByte(path)) {
        error = EINVAL;
        return false;
    }
    if (::lstat(path.c_str(), &info) == 0) {
        error = 0;
        return true;
    }
    error = errno == ENOENT ? 0 : errno;
    return false;
}

bool NotedFile(const std::string& path, const std::string& noteName, TFileStamp& stamp, std::string& note)
{
    if (HoldsZeroByte(path))
        return false;
    // Not blocking: a pipe at the name would otherwise wait for a writer. Size, time, owner and note are read
    // from one opening, so that they all belong to the same file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {
    };
    const bool plain = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (plain) {
        stamp = { info.st_size, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec, info.st_uid };
        char value[4096];
        const ssize_t size = ::fgetxattr(fd, ("user." + noteName).c_str(), value, sizeof value);
        note = size > 0 ? std::string(value, static_cast<std::size_t>(size)) : std::string();
    }
    ::close(fd);
    return plain;
}

bool PrivateFolder(const std::string& path)
{
    if (HoldsZeroByte(path) || (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST))
        return false;
    struct stat info {
    };
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & 077) == 0;
}

uint32_t CurrentUser()
{
    return ::geteuid();
}

int OpenFileLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 1 << 20)
        return 1 << 20;
    return static_cast<int>(limit.rlim_cur);
}

bool IsExecutableFile(const std::string& path)
{
    return FileExists(path) && ::access(path.c_str(), X_OK) == 0;
}

bool RemoveFile(const std::string& path, int& error)
{
    // unlink would remove the file named by the part before the 0 byte.
    if (HoldsZeroByte(path))
        return true;
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    const int failure = errno;
    // unlink answers EISDIR (Linux) or EPERM (POSIX) for a folder, which counts as no file.
    if (DirectoryExists(path))
        return true;
    error = failure;
    return false;
}

bool RenameFile(const std::string& from, const std::string& to, int& error)
{
    if (HoldsZeroByte(from) || HoldsZeroByte(to)) {
        error = EINVAL;
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = errno;
    return false;
}

int64_t FileSize(const std::string& path)
{
    int error = 0;
    return FileSize(path, error);
}

int64_t FileSize(const std::string& path, int& error)
{
    struct stat info {
    };
    error = StatWhole(path, info);
    if (error != 0)
        return -1;
    if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

std::size_t PathLengthLimit()
{
    return PATH_MAX - 1;
}

bool HoldsZeroByte(const std::string& path)
{
    return path.find('\0') != std::string::npos;
}

std::string SystemErrorMessage(int code)
{
    char buffer[256] = {};
    // The GNU variant may return a static text instead of filling the buffer.
    return ::strerror_r(code, buffer, sizeof buffer);
}

} // namespace platform
