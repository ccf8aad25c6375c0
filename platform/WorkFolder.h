#pragma once

#include "platform/FileSystem.h"

#include <functional>
#include <string>
#include <vector>

// A private folder for one run's unfinished output, inside the output folder the run writes to. It is made fresh
// (mode 0700) and from then on reached only through the descriptor this object holds, never again by its name:
// whoever else may write the output folder can rename the name away or put a link in its place, and the run
// still writes, reads, marks and moves only its own files.
namespace platform
{

class TWorkFolder
{
public:
    // Makes a new private folder ".reelhand-XXXXXX" in folder and holds its lock while this object lives. False
    // with the system's error code in error when no folder can be made there.
    bool Make(const std::string& folder, int& error);
    // Removes the folder with everything in it; nothing when none was made.
    ~TWorkFolder();
    TWorkFolder() = default;
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;

    // The folder as a user finds it, for messages; empty before Make.
    const std::string& Path() const { return m_path; }
    // A path to the held folder, ending in '/', for this process and the children it starts: it leads through
    // this process's descriptor, so renaming the folder or putting a link at its name cannot redirect it.
    std::string HeldPath() const;
    // True while the folder is still at its name in the output folder (same device and inode).
    bool Intact() const;

    // Gives the file name in the folder the modification time of the file at from, keeps the note with it (an
    // extended attribute in the user's namespace, where the file system keeps them; note() gets the file's stamp
    // once its time is set) and returns that stamp. False with the system's error code in error.
    bool Seal(const std::string& name, const std::string& from, const std::string& noteName,
        const std::function<std::string(const TFileStamp&)>& note, int& error);
    // Moves the file name inside the folder to target, a name in the output folder, only when nothing (no file,
    // link, folder or pipe) stands there; never replaces and never follows a link. False with EEXIST when
    // something stands there, with another code when the move cannot be made.
    bool Publish(const std::string& name, const std::string& target, int& error);
    // Removes the folder with everything in it, the lock closed first. False with the system's error code in
    // error when it stays. A folder someone else moved away from its name is emptied and left where they put it.
    bool Remove(int& error);

private:
    std::string m_path;
    std::string m_name; // inside the output folder
    int m_outputFd = -1;
    int m_folderFd = -1;
    int m_lockFd = -1;
    bool m_owned = false; // the folder at the name was ours when it was opened
};

// Removes the private folders in folder that runs of this program left when they died: a folder is removed only
// when its name has the form runs give, it belongs to this user, its lock is there with the content runs write
// and nobody holds it, and it holds nothing but what runs write. Returns the names of such folders that hold
// anything else; those are left as they are.
std::vector<std::string> RemoveAbandonedWorkFolders(const std::string& folder);

} // namespace platform
