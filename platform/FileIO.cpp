#include "platform/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string Reason(int error)
{
    return std::strerror(error);
}

} // namespace

bool ReadWholeFile(const std::string& path, TFileBytes& content, std::string& reason)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = Reason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        reason = Reason(S_ISDIR(info.st_mode) ? EISDIR : errno);
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
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

bool TReplaceFile::Open(const std::string& target, std::string& reason)
{
    Discard();
    m_target = target;
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved))
            m_target = resolved;
    }
    struct stat info {};
    if (::stat(m_target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        reason = Reason(EISDIR);
        return false;
    }
    std::string pattern = m_target + ".XXXXXX";
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) {
        reason = Reason(errno);
        return false;
    }
    m_temporary = pattern;
    return true;
}

bool TReplaceFile::Write(std::string_view bytes, std::string& reason)
{
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
    // mkostemp makes the file private; an existing target keeps its permissions, a new one gets the usual ones.
    struct stat info {};
    mode_t mode;
    if (::stat(m_target.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0 || ::fsync(m_fd) != 0) {
        reason = Reason(errno);
        Discard();
        return false;
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0 || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        reason = Reason(errno);
        Discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

} // namespace platform
