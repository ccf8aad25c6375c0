#include "platform/WorkFolder.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{

namespace
{

    constexpr const char* Prefix = ".reelhand-";
    constexpr const char* LockName = "lock";
    // A private folder without its lock file is one that is being made right now, or one whose run died in the
    // moment between making it and locking it; only an old one is known to be the second kind.
    constexpr time_t UnlockedFolderAge = 3600;

    // An open-file-description lock: it belongs to this one opening, and network file systems pass it to the server.
    bool Lock(int fd, bool wait)
    {
        struct flock lock {
        };
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        for (;;) {
            if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0)
                return true;
            if (errno != EINTR)
                return false;
        }
    }

    std::string NamePart(const std::string& path)
    {
        const std::size_t slash = path.find_last_of('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }

    // Removes every entry of the folder open at fd that is not a folder, the lock file last.
    void EmptyFolder(int fd)
    {
        const int listFd = ::dup(fd);
        if (listFd < 0)
            return;
        DIR* dir = ::fdopendir(listFd);
        if (!dir) {
            ::close(listFd);
            return;
        }
        bool lockThere = false;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            if (name == LockName) {
                lockThere = true;
                continue;
            }
            ::unlinkat(fd, name.c_str(), 0);
        }
        ::closedir(dir);
        if (lockThere)
            ::unlinkat(fd, LockName, 0);
    }

    // Moves from to to inside folderFd without replacing anything. Where the file system cannot rename so, a hard
    // link is made, which refuses an existing name just as well, and the old name is removed.
    int MoveNoReplace(int folderFd, const std::string& from, const std::string& to)
    {
        if (::renameat2(folderFd, from.c_str(), folderFd, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        if (::linkat(folderFd, from.c_str(), folderFd, to.c_str(), 0) != 0)
            return errno;
        ::unlinkat(folderFd, from.c_str(), 0);
        return 0;
    }

} // namespace

bool TWorkFolder::Make(const std::string& folder, int& error)
{
    int ignored = 0;
    Remove(ignored);
    m_folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) {
        error = errno;
        return false;
    }
    std::string pattern = folder + (folder.ends_with('/') ? "" : "/") + Prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = errno;
        Remove(error);
        return false;
    }
    m_path = pattern + "/";
    // The lock file gets its name only once it is locked, so nobody who finds it can take it for a dead run's.
    const std::string fresh = m_path + LockName + ".new";
    m_lockFd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lockFd < 0 || !Lock(m_lockFd, true) || ::rename(fresh.c_str(), (m_path + LockName).c_str()) != 0) {
        const int failure = errno;
        Remove(error);
        error = failure;
        return false;
    }
    return true;
}

TWorkFolder::~TWorkFolder()
{
    int ignored = 0;
    Remove(ignored);
}

bool TWorkFolder::Remove(int& error)
{
    bool removed = true;
    if (!m_path.empty()) {
        const int fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            EmptyFolder(fd);
            ::close(fd);
        }
        if (::rmdir(m_path.c_str()) != 0 && errno != ENOENT) {
            error = errno;
            removed = false;
        }
        m_path.clear();
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_lockFd = -1;
    m_folderFd = -1;
    return removed;
}

bool TWorkFolder::Publish(const std::string& name, const std::string& target, int& error)
{
    if (m_folderFd < 0) {
        error = EBADF;
        return false;
    }
    error = MoveNoReplace(m_folderFd, NamePart(m_path.substr(0, m_path.size() - 1)) + "/" + name, NamePart(target));
    return error == 0;
}

void RemoveAbandonedWorkFolders(const std::string& folder)
{
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return;
    const int listFd = ::dup(folderFd);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        ::close(folderFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!name.starts_with(Prefix))
            continue;
        // Never through a link, never a folder of another user's, never anything but a folder we could have made.
        const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {
        };
        if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700) {
            const int lockFd = ::openat(fd, LockName, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            struct stat lockInfo {
            };
            if (lockFd >= 0) {
                if (::fstat(lockFd, &lockInfo) == 0 && S_ISREG(lockInfo.st_mode) && Lock(lockFd, false)) {
                    EmptyFolder(fd);
                    ::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);
                }
                ::close(lockFd);
            } else if (errno == ENOENT && info.st_mtime + UnlockedFolderAge < ::time(nullptr)) {
                EmptyFolder(fd);
                ::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);
            }
        }
        ::close(fd);
    }
    ::closedir(dir);
    ::close(folderFd);
}

} // namespace platform
