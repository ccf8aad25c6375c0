#include "platform/FileClaim.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// An open-file-description lock on the whole file. Unlike a classic record lock it belongs to this one opening of
// the file, so two claims in one process conflict as claims of two processes do, and closing some other
// descriptor of the same file does not drop it. Network file systems pass it on to the server.
bool Lock(int fd, short type, bool wait)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

// Who holds a claim, for a person who finds the file.
std::string OwnerText()
{
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return "reelhand on " + std::string(host) + ", process " + std::to_string(::getpid()) + "\n";
}

bool SameFile(int fd, const std::string& path)
{
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
        opened.st_ino == named.st_ino;
}

// The owner's text is written only once the claim is locked, so a claim file with text in it that nobody holds
// was left by its holder. An empty one is being made right now, or lives where locks are not supported: both
// count as held.
bool Abandoned(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_size > 0;
}

enum class TFound { Gone, Held, Left };

TFound Inspect(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? TFound::Gone : TFound::Held;
    TFound found = Lock(fd, F_RDLCK, false) && Abandoned(fd) ? TFound::Left : TFound::Held;
    ::close(fd);
    return found;
}

} // namespace

TFileClaim::~TFileClaim()
{
    Release();
}

TFileClaim::TResult TFileClaim::Claim(const std::string& path, std::string& reason)
{
    Release();
    // A claim file that vanishes between our attempt and our look at it is tried again, a few times.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            // Whoever looks at the new file holds its lock for a moment only, so this wait is short.
            if (Lock(fd, F_WRLCK, true)) {
                const std::string owner = OwnerText();
                [[maybe_unused]] ssize_t written = ::write(fd, owner.data(), owner.size());
            }
            m_fd = fd;
            m_path = path;
            return TResult::Claimed;
        }
        if (errno != EEXIST) {
            reason = SystemErrorMessage(errno);
            return TResult::Failed;
        }
        switch (Inspect(path)) {
        case TFound::Gone:
            continue;
        case TFound::Held:
            return TResult::Taken;
        case TFound::Left:
            return TResult::Stale;
        }
    }
    return TResult::Taken;
}

void TFileClaim::Release()
{
    if (m_fd < 0)
        return;
    // Someone may have removed the file by hand and another claim taken the name since: that one is not ours.
    if (SameFile(m_fd, m_path))
        ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

bool RemoveStaleClaim(const std::string& path, const std::function<void()>& cleanup)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The lock keeps other cleaners of this same file out; checking that the name still leads to this file keeps
    // us from removing a new claim made after another cleaner removed the stale one.
    bool removed = Lock(fd, F_WRLCK, false) && Abandoned(fd) && SameFile(fd, path);
    if (removed) {
        cleanup();
        removed = ::unlink(path.c_str()) == 0;
    }
    ::close(fd);
    return removed;
}

} // namespace platform
