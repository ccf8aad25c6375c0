#include "platform/HeldFolder.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{

std::string HeldPath(int fd)
{
    return "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd) + "/";
}

int HeldPathFault(int fd)
{
    struct stat held {
    };
    return ::stat(HeldPath(fd).c_str(), &held) == 0 ? 0 : errno;
}

bool StandsAt(int folderFd, const std::string& name, int fd)
{
    struct stat there {
    }, held {};
    return ::fstatat(folderFd, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &held) == 0
        && there.st_dev == held.st_dev && there.st_ino == held.st_ino;
}

bool FolderEntries(int fd, std::vector<std::string>& names)
{
    const int listFd = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return true;
}

void CloseHeld(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace platform
