#include "platform/HeldFile.h"

#include "platform/HeldFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{

THeldFile::~THeldFile()
{
    CloseHeld(m_fd);
}

int THeldFile::Open(const std::string& path)
{
    CloseHeld(m_fd);
    if (path.find('\0') != std::string::npos)
        return EINVAL;
    // Not blocking: opening a pipe for reading would otherwise wait for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return EINVAL;
    }
    m_fd = fd;
    return 0;
}

std::string THeldFile::HeldPath() const
{
    std::string path = platform::HeldPath(m_fd);
    if (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace platform
