#include "platform/ResidentMemory.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

std::size_t ResidentBytes()
{
    // statm holds the sizes in pages: the whole address space first, then the resident part.
    int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[128] = {};
    ssize_t got;
    do
        got = ::read(fd, text, sizeof text - 1);
    while (got < 0 && errno == EINTR);
    ::close(fd);
    unsigned long total = 0, resident = 0;
    if (got <= 0 || std::sscanf(text, "%lu %lu", &total, &resident) != 2)
        return 0;
    long page = ::sysconf(_SC_PAGESIZE);
    return page > 0 ? resident * static_cast<std::size_t>(page) : 0;
}

} // namespace platform
