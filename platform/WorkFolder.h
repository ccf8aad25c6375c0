#pragma once

#include <string>

// A private folder for one run's unfinished output, inside the output folder the run writes to. Nobody else can
// plant anything in it (it is made fresh, mode 0700), so the run never writes through a link or into a file of
// someone else's; only the finished file is moved out, to a name where nothing at all stands.
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

    // The private folder, ending in '/'; empty before Make.
    const std::string& Path() const { return m_path; }
    // Moves the file name inside the private folder to target, a path in the folder given to Make, only when
    // nothing (no file, link, folder or pipe) stands at target; never replaces and never follows a link. False
    // with EEXIST when something stands there, with another code when the move cannot be made.
    bool Publish(const std::string& name, const std::string& target, int& error);
    // Removes the folder with everything in it. False with the system's error code in error when it stays.
    bool Remove(int& error);

    std::string m_path;
    int m_folderFd = -1; // the output folder
    int m_lockFd = -1; // the lock file inside the private folder
};

// Removes the private folders in folder that runs of this user left when they died: those whose lock nobody
// holds. Folders of other users, and any whose state is in doubt, are left alone.
void RemoveAbandonedWorkFolders(const std::string& folder);

} // namespace platform
