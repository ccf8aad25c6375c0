#include "platform/FileIO.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The most links followed in a row before the chain counts as a loop, as the system's own limit.
constexpr int MaxLinkHops = 40;
constexpr int TemporaryNameAttempts = 100;
const char* const NotARegularFile = "Not a regular file";

std::string Reason(int error)
{
    return std::strerror(error);
}

// Reads (or writes) exactly size bytes from (to) the start of the file; false with errno set when that fails.
bool TransferAt(int fd, char* data, size_t size, bool write)
{
    for (size_t done = 0; done < size;) {
        const ssize_t moved = write ? ::pwrite(fd, data + done, size - done, static_cast<off_t>(done))
                                    : ::pread(fd, data + done, size - done, static_cast<off_t>(done));
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0) {
            if (moved == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<size_t>(moved);
    }
    return true;
}

int OpenRetrying(const std::string& path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path.c_str(), flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The file a chain of symbolic links at path ends in (path itself when it is no link); the last one may be
// missing. A relative link is taken from the folder of the link. 0, or the system's error (ELOOP, ...).
int FollowLinks(const std::string& path, std::string& resolved)
{
    resolved = path;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(resolved.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return 0;
        if (hops == MaxLinkHops)
            return ELOOP;
        std::string destination(info.st_size > 0 ? static_cast<size_t>(info.st_size) : 256, '\0');
        for (;;) {
            const ssize_t length = ::readlink(resolved.c_str(), destination.data(), destination.size());
            if (length < 0)
                return errno;
            if (static_cast<size_t>(length) < destination.size()) {
                destination.resize(static_cast<size_t>(length));
                break;
            }
            destination.resize(destination.size() * 2);
        }
        if (!destination.starts_with('/')) {
            const size_t slash = resolved.rfind('/');
            destination = (slash == std::string::npos ? std::string() : resolved.substr(0, slash + 1)) + destination;
        }
        resolved = std::move(destination);
    }
}

// A new file beside target under a name no one uses. It is created with the plain 0666, so the system applies
// the umask and the folder's default permissions itself: a new list file gets exactly what a plain write gives,
// without the process-wide umask being read by changing it (which a child spawned meanwhile would inherit).
int CreateTemporary(const std::string& target, std::string& temporary)
{
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        temporary = target + ".";
        for (int i = 0; i < 6; ++i)
            temporary += Letters[random() % (sizeof Letters - 1)];
        const int fd = OpenRetrying(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

bool ReadWholeFile(const std::string& path, TFileBytes& content, std::string& reason)
{
    if (HoldsZeroByte(path)) {
        reason = Reason(EINVAL);
        return false;
    }
    // Non-blocking, so that a named pipe without a writer does not hold the caller in open; the kind of file is
    // then checked on the open descriptor, so nothing can be swapped in between.
    const int fd = OpenRetrying(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = Reason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = Reason(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? Reason(EISDIR) : NotARegularFile;
        ::close(fd);
        return false;
    }
    // The size is only a hint: files that grow or shrink while read (or report no size) still read fully.
    size_t capacity = info.st_size > 0 ? static_cast<size_t>(info.st_size) + 1 : 65536;
    std::unique_ptr<char[]> data(new char[capacity]);
    size_t used = 0;
    for (;;) {
        if (used == capacity) {
            std::unique_ptr<char[]> larger(new char[capacity * 2]);
            std::memcpy(larger.get(), data.get(), used);
            data = std::move(larger);
            capacity *= 2;
        }
        const ssize_t got = ::read(fd, data.get() + used, capacity - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = Reason(errno);
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        used += static_cast<size_t>(got);
    }
    ::close(fd);
    content.m_data = std::move(data);
    content.m_size = used;
    return true;
}

TReplaceFile::~TReplaceFile()
{
    Discard();
}

void TReplaceFile::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_inPlace = false;
    m_pending.clear();
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    // An existing target written in place cannot be restored; one this writer made is taken away again.
    if (m_created)
        ::unlink(m_target.c_str());
    m_created = false;
}

bool TReplaceFile::Open(const std::string& target, std::string& reason)
{
    Discard();
    if (HoldsZeroByte(target)) {
        reason = Reason(EINVAL);
        return false;
    }
    if (const int error = FollowLinks(target, m_target); error != 0) {
        reason = Reason(error);
        return false;
    }
    struct stat info {};
    const bool exists = ::stat(m_target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        reason = Reason(EISDIR);
        return false;
    }
    int existing = -1;
    if (exists) {
        // Renaming over a file needs only the folder's permission; a file its owner made read-only is refused
        // here as a plain write refuses it.
        // Read access too where it is given: a file written in place can then be given its old content back.
        existing = OpenRetrying(m_target, O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (existing < 0 && errno == EACCES)
            existing = OpenRetrying(m_target, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (existing < 0) {
            reason = Reason(errno);
            return false;
        }
        // A pipe or a device is written to, not replaced by a regular file.
        if (!S_ISREG(info.st_mode))
            return OpenDirect(existing, reason);
    }
    m_fd = CreateTemporary(m_target, m_temporary);
    if (m_fd >= 0) {
        if (existing >= 0)
            ::close(existing);
        return true;
    }
    m_temporary.clear();
    return OpenDirect(existing, reason);
}

// Writes the target itself: the open existing one, or a new one made now. In a folder that takes no new file an
// existing regular file is written in place at Commit (see ReplaceInPlace); a pipe or a device as it comes.
bool TReplaceFile::OpenDirect(int existing, std::string& reason)
{
    if (existing < 0) {
        existing = OpenRetrying(m_target, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (existing < 0) {
            reason = Reason(errno);
            return false;
        }
        m_created = true;
    }
    m_fd = existing;
    struct stat info {};
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || ::fstat(m_fd, &info) != 0) {
        reason = Reason(errno);
        Discard();
        return false;
    }
    m_inPlace = S_ISREG(info.st_mode) && !m_created;
    return true;
}

// The old content stays whole unless the new one is all there: the space for it is reserved before anything is
// written (a full disk refuses here), and a write that fails after that puts the old bytes back where they can be
// read.
bool TReplaceFile::ReplaceInPlace(std::string& reason)
{
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        reason = Reason(errno);
        return false;
    }
    std::string old(static_cast<size_t>(info.st_size), '\0');
    const bool oldKept = TransferAt(m_fd, old.data(), old.size(), false);
    const auto size = static_cast<off_t>(m_pending.size());
    if (size > info.st_size) {
        if (const int error = ::posix_fallocate(m_fd, 0, size); error != 0) {
            reason = Reason(error);
            [[maybe_unused]] const int shrunk = ::ftruncate(m_fd, info.st_size);
            return false;
        }
    }
    if (TransferAt(m_fd, m_pending.data(), m_pending.size(), true) && ::ftruncate(m_fd, size) == 0)
        return true;
    reason = Reason(errno);
    if (oldKept && TransferAt(m_fd, old.data(), old.size(), true))
        [[maybe_unused]] const int restored = ::ftruncate(m_fd, info.st_size);
    return false;
}

bool TReplaceFile::Write(std::string_view bytes, std::string& reason)
{
    if (m_inPlace) {
        m_pending.append(bytes);
        return true;
    }
    while (!bytes.empty()) {
        const ssize_t done = ::write(m_fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0) {
            reason = Reason(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

bool TReplaceFile::Commit(std::string& reason)
{
    struct stat info {};
    const bool replacing = !m_temporary.empty() && ::stat(m_target.c_str(), &info) == 0;
    if (m_inPlace && !ReplaceInPlace(reason)) {
        Discard();
        return false;
    }
    // fsync fails with EINVAL on pipes and devices, which have nothing to flush.
    if ((replacing && ::fchmod(m_fd, info.st_mode & 07777) != 0) || (::fsync(m_fd) != 0 && errno != EINVAL)) {
        reason = Reason(errno);
        Discard();
        return false;
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0 || (!m_temporary.empty() && ::rename(m_temporary.c_str(), m_target.c_str()) != 0)) {
        reason = Reason(errno);
        Discard();
        return false;
    }
    m_temporary.clear();
    m_created = false;
    return true;
}

} // namespace platform
