#include "platform/SharedFolder.h"

#include "platform/HeldFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform
{

bool TSharedFolder::Open(const std::string& folder, const std::string& name, int& error)
{
    Close();
    const auto fail = [&](int code) {
        Close();
        error = code;
        return false;
    };
    m_path = folder + (folder.ends_with('/') ? "" : "/") + name + "/";
    m_name = name;
    m_outputFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_outputFd < 0)
        return fail(errno);
    if (::mkdirat(m_outputFd, name.c_str(), 0700) != 0 && errno != EEXIST)
        return fail(errno);
    m_folderFd = ::openat(m_outputFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // A link at the name is refused as not being the folder, wherever it leads.
    if (m_folderFd < 0)
        return fail(errno == ELOOP ? ENOTDIR : errno);
    // Whoever may write the folder around it could have made the folder first, or opened it to others.
    struct stat info {
    };
    if (::fstat(m_folderFd, &info) != 0)
        return fail(errno);
    if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return fail(EPERM);
    // Children reach the folder through /proc; where it is missing, say so before any encoder runs.
    if (const int fault = HeldPathFault(m_folderFd))
        return fail(fault);
    return true;
}

TSharedFolder::~TSharedFolder()
{
    Close();
}

std::string TSharedFolder::HeldPath() const
{
    return platform::HeldPath(m_folderFd);
}

bool TSharedFolder::Remove(int& error)
{
    if (m_folderFd < 0)
        return true;
    std::vector<std::string> names;
    FolderEntries(m_folderFd, names);
    for (const std::string& name : names)
        ::unlinkat(m_folderFd, name.c_str(), 0);
    // A folder moved away from its name is emptied and left where it was put; whatever stands at the name now
    // is not ours to remove.
    if (StandsAt(m_outputFd, m_name, m_folderFd) && ::unlinkat(m_outputFd, m_name.c_str(), AT_REMOVEDIR) != 0
        && errno != ENOENT) {
        error = errno;
        return false;
    }
    return true;
}

void TSharedFolder::Close()
{
    CloseHeld(m_folderFd);
    CloseHeld(m_outputFd);
}

} // namespace platform
