#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <vector>

// What a watched folder needs of the system: which file an entry is and whether it changed, the names in a
// folder, whether the folder's file system tells this machine of every write, and the kernel's word when a file
// written here was closed or moved in.
namespace platform
{

enum class TEntryKind { Other, File, Folder };

struct TFolderEntry {
    std::string Name;
    TEntryKind Kind = TEntryKind::Other; // a link is Other, whatever it leads to
    TFileIdentity Identity;
};

// The entry at path, not followed if it is a link. False with the system's error code (ENOENT: nothing is there).
bool EntryAt(const std::string& path, TEntryKind& kind, TFileIdentity& identity, int& error);
// The entries of the folder at path, without "." and "..". False with the system's error code when it cannot be
// read; an entry that goes while it is read is left out.
bool ListFolder(const std::string& path, std::vector<TFolderEntry>& entries, int& error);
// The folder at path with every link and "." or ".." resolved; empty with the system's error code when it cannot be.
std::string RealPath(const std::string& path, int& error);
// False for a file system whose files other machines write without this machine's kernel hearing of it (NFS,
// CIFS/SMB, FUSE, Ceph, 9p, AFS, ...): inotify misses those writes. False with the system's error code in error
// when the file system cannot be asked.
bool KernelSeesEveryWrite(const std::string& path, int& error);

// The kernel's word on files written or moved into folders (inotify). Nothing here blocks.
class TFolderEvents
{
public:
    enum class TKind {
        Written, // a file open for writing was closed
        MovedIn, // a file was moved or renamed into the folder
        FolderIn, // a folder was made or moved into the folder
        Gone, // the watched folder itself was removed, moved or unmounted: its watch has ended
        Moved, // the watched folder itself was moved (renamed); its watch goes on
        Overflow, // events were lost: whoever listens must look at every folder again
    };
    struct TEvent {
        int Watch = -1; // the folder's watch; -1 for Overflow
        TKind Kind = TKind::Overflow;
        std::string Name; // the entry in the folder; empty for the folder itself
    };

    TFolderEvents() = default;
    ~TFolderEvents();
    TFolderEvents(const TFolderEvents&) = delete;
    TFolderEvents& operator=(const TFolderEvents&) = delete;

    // False with the system's error code (EMFILE when the user's inotify instances are used up).
    bool Open(int& error);
    // What an event loop watches: readable while events wait; -1 before Open.
    int Handle() const { return m_fd; }
    // Starts watching the folder at path, not followed if a link; its watch, or -1 with the system's error code
    // (ENOSPC when the user's watches are used up). A folder watched already keeps its watch.
    int Watch(const std::string& path, int& error);
    // Stops watching; nothing when the watch has ended already.
    void Forget(int watch);
    // The events that wait now, in order; none when none waits.
    std::vector<TEvent> Take();

private:
    int m_fd = -1;
};

} // namespace platform
