#include "platform/FolderEvents.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform
{

namespace
{

    void Fill(const struct stat& info, TEntryKind& kind, TFileIdentity& identity)
    {
        kind = S_ISREG(info.st_mode) ? TEntryKind::File
            : S_ISDIR(info.st_mode)  ? TEntryKind::Folder
                                     : TEntryKind::Other;
        identity.Device = info.st_dev;
        identity.Inode = info.st_ino;
        identity.Size = info.st_size;
        identity.ModifiedNs = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    }

    // Magic numbers of the file systems whose writes come from elsewhere, as statfs gives them.
    constexpr unsigned long RemoteFileSystems[] = {
        NFS_SUPER_MAGIC,
        SMB_SUPER_MAGIC,
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x65735546, // FUSE (sshfs, rclone, gvfs, ...)
        0x00C36400, // Ceph
        V9FS_MAGIC,
        AFS_SUPER_MAGIC,
        0x6B414653, // AFS (kAFS)
        CODA_SUPER_MAGIC,
        0x47504653, // GPFS
        0x0BD00BD0, // Lustre
        0x013111A8, // IBRIX
        NCP_SUPER_MAGIC,
    };

} // namespace

bool EntryAt(const std::string& path, TEntryKind& kind, TFileIdentity& identity, int& error)
{
    struct stat info {
    };
    if (HoldsZeroByte(path) || ::lstat(path.c_str(), &info) != 0) {
        error = HoldsZeroByte(path) ? EINVAL : errno;
        return false;
    }
    Fill(info, kind, identity);
    return true;
}

bool ListFolder(const std::string& path, std::vector<TFolderEntry>& entries, int& error)
{
    const int fd = HoldsZeroByte(path) ? -1 : ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        error = HoldsZeroByte(path) ? EINVAL : errno;
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    errno = 0;
    while (const dirent* found = ::readdir(dir)) {
        const std::string name = found->d_name;
        struct stat info {
        };
        if (name == "." || name == ".." || ::fstatat(fd, found->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        TFolderEntry entry;
        entry.Name = name;
        Fill(info, entry.Kind, entry.Identity);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
}

std::string RealPath(const std::string& path, int& error)
{
    char* real = HoldsZeroByte(path) ? nullptr : ::realpath(path.c_str(), nullptr);
    if (!real) {
        error = HoldsZeroByte(path) ? EINVAL : errno;
        return {};
    }
    std::string result = real;
    std::free(real);
    return result;
}

bool KernelSeesEveryWrite(const std::string& path, int& error)
{
    struct statfs info {
    };
    if (HoldsZeroByte(path) || ::statfs(path.c_str(), &info) != 0) {
        error = HoldsZeroByte(path) ? EINVAL : errno;
        return false;
    }
    error = 0;
    for (unsigned long magic : RemoteFileSystems)
        if (static_cast<unsigned long>(info.f_type) == magic)
            return false;
    return true;
}

TFolderEvents::~TFolderEvents()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TFolderEvents::Open(int& error)
{
    if (m_fd < 0)
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    error = m_fd < 0 ? errno : 0;
    return m_fd >= 0;
}

int TFolderEvents::Watch(const std::string& path, int& error)
{
    // A file is taken when its writer closed it or it was moved in whole, never on its creation: a copy still
    // going on has been created but neither closed nor moved.
    constexpr uint32_t mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR
        | IN_DONT_FOLLOW | IN_EXCL_UNLINK;
    const int watch = HoldsZeroByte(path) ? -1 : ::inotify_add_watch(m_fd, path.c_str(), mask);
    error = watch < 0 ? (HoldsZeroByte(path) ? EINVAL : errno) : 0;
    return watch;
}

void TFolderEvents::Forget(int watch)
{
    ::inotify_rm_watch(m_fd, watch);
}

std::vector<TFolderEvents::TEvent> TFolderEvents::Take()
{
    std::vector<TEvent> events;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return events;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            const std::string name = event->len ? std::string(event->name) : std::string();
            const bool folder = event->mask & IN_ISDIR;
            if (event->mask & IN_Q_OVERFLOW)
                events.push_back({ -1, TKind::Overflow, {} });
            else if (event->mask & (IN_DELETE_SELF | IN_UNMOUNT | IN_IGNORED))
                events.push_back({ event->wd, TKind::Gone, {} });
            else if (event->mask & IN_MOVE_SELF)
                events.push_back({ event->wd, TKind::Moved, {} });
            else if (folder && (event->mask & (IN_CREATE | IN_MOVED_TO)))
                events.push_back({ event->wd, TKind::FolderIn, name });
            else if (!folder && (event->mask & IN_CLOSE_WRITE))
                events.push_back({ event->wd, TKind::Written, name });
            else if (!folder && (event->mask & IN_MOVED_TO))
                events.push_back({ event->wd, TKind::MovedIn, name });
        }
    }
}

} // namespace platform
