#include "platform/FileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform
{

TFileLock::~TFileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TFileLock::TryLock(const std::string& path, std::string& reason)
{
    if (m_fd >= 0)
        return true;
    reason.clear();
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    // An open-file-description lock belongs to this opening alone: no other descriptor of the process, and no
    // child that inherits none, can drop it by closing the file.
    struct flock lock {
    };
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    int result;
    do
        result = ::fcntl(fd, F_OFD_SETLK, &lock);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        if (errno != EAGAIN && errno != EACCES)
            reason = std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace platform
