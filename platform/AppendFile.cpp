#include "platform/AppendFile.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform
{

TAppendFile::~TAppendFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TAppendFile::Open(const std::string& path, int& error)
{
    if (HoldsZeroByte(path)) {
        error = EINVAL;
        return false;
    }
    m_fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    error = m_fd < 0 ? errno : 0;
    return m_fd >= 0;
}

bool TAppendFile::Append(std::string_view record, int& error)
{
    while (!record.empty()) {
        const ssize_t written = ::write(m_fd, record.data(), record.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : EIO;
            return false;
        }
        record.remove_prefix(std::size_t(written));
    }
    if (::fdatasync(m_fd) != 0) {
        error = errno;
        return false;
    }
    return true;
}

} // namespace platform
