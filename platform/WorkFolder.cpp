#include "platform/WorkFolder.h"

#include "platform/HeldFolder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform
{

namespace
{

    constexpr const char* Prefix = ".reelhand-";
    constexpr std::size_t RandomLength = 6;
    constexpr const char* LockName = "lock";
    // What a run writes into its lock once it holds it: a folder whose lock says so, and whose lock nobody holds,
    // is a dead run's. A lock without it is one being made right now, or not ours at all.
    constexpr const char* Marker = "Quor Reelhand: the unfinished output of a conversion; it goes when its run ends.\n";

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

    bool SameFile(const struct stat& a, const struct stat& b)
    {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }

    std::string NamePart(const std::string& path)
    {
        const std::size_t slash = path.find_last_of('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }

    std::string RandomName()
    {
        static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        unsigned char bytes[RandomLength] = {};
        if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes))
            for (unsigned char& byte : bytes)
                byte = static_cast<unsigned char>(::rand());
        std::string name = Prefix;
        for (unsigned char byte : bytes)
            name += Letters[byte % (sizeof Letters - 1)];
        return name;
    }

    bool OwnNameForm(const std::string& name)
    {
        return name.size() == std::strlen(Prefix) + RandomLength && name.starts_with(Prefix)
            && std::all_of(name.begin() + static_cast<std::ptrdiff_t>(std::strlen(Prefix)), name.end(),
                [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    }

    // The lock, the encoder's output and what the encoder writes beside it, and the files of a row converted in
    // pieces: piece-N.nut, picture.nut and rest.EXT.
    bool RunWrites(const std::string& name)
    {
        return name == LockName || name.starts_with("output") || name.starts_with("piece-") || name == "picture.nut"
            || name.starts_with("rest.");
    }

    bool HoldsMarker(int fd)
    {
        const std::size_t length = std::strlen(Marker);
        std::string content(length + 1, '\0');
        return ::pread(fd, content.data(), content.size(), 0) == static_cast<ssize_t>(length)
            && content.compare(0, length, Marker) == 0;
    }

    bool WriteAll(int fd, const std::string& text)
    {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                return false;
            done += static_cast<std::size_t>(wrote);
        }
        return true;
    }

    // Where a file system can neither rename without replacing nor link (vfat, exFAT and others through FUSE):
    // the name is claimed with an empty file of our own, which refuses any entry there, and the finished file is
    // moved over that placeholder only while it is still ours.
    int MoveOverPlaceholder(int fromFd, const std::string& from, int toFd, const std::string& to)
    {
        const int fd = ::openat(toFd, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return errno;
        struct stat mine {
        };
        ::fstat(fd, &mine);
        // Closed before it is replaced: FUSE keeps a replaced file that is still open as a hidden one.
        ::close(fd);
        struct stat there {
        };
        // Whoever may write the folder could have put something of theirs in its place meanwhile.
        if (::fstatat(toFd, to.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(mine, there))
            return EEXIST;
        if (::renameat(fromFd, from.c_str(), toFd, to.c_str()) == 0)
            return 0;
        const int failure = errno;
        if (::fstatat(toFd, to.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(mine, there))
            ::unlinkat(toFd, to.c_str(), 0);
        return failure;
    }

    // Moves from in fromFd to to in toFd without replacing anything: by a rename that refuses an existing name,
    // else by a hard link, which refuses one just as well, else over a placeholder.
    int MoveNoReplace(int fromFd, const std::string& from, int toFd, const std::string& to)
    {
        if (::renameat2(fromFd, from.c_str(), toFd, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        if (::linkat(fromFd, from.c_str(), toFd, to.c_str(), 0) == 0) {
            ::unlinkat(fromFd, from.c_str(), 0);
            return 0;
        }
        if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        return MoveOverPlaceholder(fromFd, from, toFd, to);
    }

    // Removes a dead run's folder name in folderFd. True unless it is one that holds more than runs write, which
    // stays; folders that are not provably a dead run's stay too.
    bool Sweep(int folderFd, const std::string& name)
    {
        int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return true;
        bool clean = true;
        int lockFd = ::openat(fd, LockName, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat info {
        }, lockInfo {};
        std::vector<std::string> names;
        if (lockFd >= 0 && ::fstat(fd, &info) == 0 && ::fstat(lockFd, &lockInfo) == 0 && S_ISREG(lockInfo.st_mode)
            && info.st_uid == ::geteuid() && lockInfo.st_uid == info.st_uid && Lock(lockFd, false)
            && HoldsMarker(lockFd) && FolderEntries(fd, names)) {
            clean = std::all_of(names.begin(), names.end(), RunWrites);
            if (clean) {
                for (const std::string& entry : names)
                    if (entry != LockName)
                        ::unlinkat(fd, entry.c_str(), 0);
                CloseHeld(lockFd);
                ::unlinkat(fd, LockName, 0);
                if (StandsAt(folderFd, name, fd))
                    ::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);
            }
        }
        CloseHeld(lockFd);
        CloseHeld(fd);
        return clean;
    }

} // namespace

bool TWorkFolder::Make(const std::string& folder, int& error)
{
    int ignored = 0;
    Remove(ignored);
    const auto fail = [&](int code) {
        Remove(ignored);
        error = code;
        return false;
    };
    m_outputFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_outputFd < 0)
        return fail(errno);
    for (int attempt = 0; m_name.empty(); ++attempt) {
        const std::string name = RandomName();
        if (::mkdirat(m_outputFd, name.c_str(), 0700) == 0)
            m_name = name;
        else if (errno != EEXIST || attempt == 100)
            return fail(errno);
    }
    m_path = folder + (folder.ends_with('/') ? "" : "/") + m_name;
    m_folderFd = ::openat(m_outputFd, m_name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_folderFd < 0)
        return fail(errno);
    m_lockFd = ::openat(m_folderFd, LockName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lockFd < 0)
        return fail(errno);
    // Someone who may write the output folder could have put a folder of theirs at the name in the moment after
    // it was made; ours belongs to whoever our own files belong to (on a network file system, not always us).
    struct stat info {
    }, lockInfo {};
    if (::fstat(m_folderFd, &info) != 0 || ::fstat(m_lockFd, &lockInfo) != 0)
        return fail(errno);
    if (info.st_uid != lockInfo.st_uid)
        return fail(EPERM);
    m_owned = true;
    if (!Lock(m_lockFd, true) || !WriteAll(m_lockFd, Marker))
        return fail(errno);
    // Children reach the folder through /proc; where it is missing, say so before any encoder runs.
    if (const int fault = HeldPathFault(m_folderFd))
        return fail(fault);
    return true;
}

TWorkFolder::~TWorkFolder()
{
    int ignored = 0;
    Remove(ignored);
}

std::string TWorkFolder::HeldPath() const
{
    return platform::HeldPath(m_folderFd);
}

bool TWorkFolder::Intact() const
{
    return m_folderFd >= 0 && StandsAt(m_outputFd, m_name, m_folderFd);
}

bool TWorkFolder::Seal(const std::string& name, const std::string& from, const std::string& noteName,
    const std::function<std::string(const TFileStamp&)>& note, int& error)
{
    struct stat source {
    };
    if (HoldsZeroByte(from) || ::stat(from.c_str(), &source) != 0) {
        error = HoldsZeroByte(from) ? EINVAL : errno;
        return false;
    }
    const int fd = ::openat(m_folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {
    };
    // The access time is left as it is: only the date a file manager shows matters.
    const struct timespec times[2] = { { 0, UTIME_OMIT }, source.st_mtim };
    if (fd < 0 || ::futimens(fd, times) != 0 || ::fstat(fd, &info) != 0) {
        error = errno;
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const std::string text
        = note({ info.st_size, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec, info.st_uid });
    // A file system that keeps no notes (vfat) still gets the file; only a resume cannot find it there.
    ::fsetxattr(fd, ("user." + noteName).c_str(), text.data(), text.size(), 0);
    ::close(fd);
    return true;
}

bool TWorkFolder::Publish(const std::string& name, const std::string& target, int& error)
{
    if (m_folderFd < 0) {
        error = EBADF;
        return false;
    }
    error = MoveNoReplace(m_folderFd, name, m_outputFd, NamePart(target));
    return error == 0;
}

bool TWorkFolder::Remove(int& error)
{
    bool removed = true;
    if (m_folderFd >= 0) {
        const bool intact = Intact();
        std::vector<std::string> names;
        if (m_owned)
            FolderEntries(m_folderFd, names);
        for (const std::string& name : names)
            if (name != LockName)
                ::unlinkat(m_folderFd, name.c_str(), 0);
        // Closed before it goes: FUSE keeps a removed file that is still open as a hidden one, and the folder
        // would stay with it.
        const bool locked = m_lockFd >= 0;
        CloseHeld(m_lockFd);
        if (locked)
            ::unlinkat(m_folderFd, LockName, 0);
        if (m_owned && intact && ::unlinkat(m_outputFd, m_name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            error = errno;
            removed = false;
        }
    }
    CloseHeld(m_lockFd);
    CloseHeld(m_folderFd);
    CloseHeld(m_outputFd);
    m_path.clear();
    m_name.clear();
    m_owned = false;
    return removed;
}

std::vector<std::string> RemoveAbandonedWorkFolders(const std::string& folder)
{
    std::vector<std::string> kept;
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::vector<std::string> names;
    if (folderFd >= 0 && FolderEntries(folderFd, names))
        for (const std::string& name : names)
            if (OwnNameForm(name) && !Sweep(folderFd, name))
                kept.push_back(name);
    CloseHeld(folderFd);
    return kept;
}

} // namespace platform
