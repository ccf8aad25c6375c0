#pragma once

#include <string>

// A folder that runs share one after another at a fixed name (the steps of a cluster job, each on its own node),
// in a folder others may write. Each run opens it once, never through a link, and only when it is this user's own
// and nobody else may write into it; from then on the run reaches it only through the descriptor this object
// holds, so that another user who renames it away or puts a link at its name cannot make the run write, rename
// or remove anything outside it.
namespace platform
{

class TSharedFolder
{
public:
    // Opens the folder name in folder, made (mode 0700) when nothing stands there. False with the system's error
    // code in error: ENOTDIR when something other than a folder stands at the name (a link, too), EPERM when the
    // folder there is another user's or others may write into it.
    bool Open(const std::string& folder, const std::string& name, int& error);
    ~TSharedFolder();
    TSharedFolder() = default;
    TSharedFolder(const TSharedFolder&) = delete;
    TSharedFolder& operator=(const TSharedFolder&) = delete;

    // The folder as a user finds it, ending in '/', for messages.
    const std::string& Path() const { return m_path; }
    // A path to the held folder, ending in '/', for this process and the children it starts.
    std::string HeldPath() const;
    // Removes the files in the folder, and the folder itself while it still stands at its name. False with the
    // system's error code in error when it stays there.
    bool Remove(int& error);

private:
    void Close();

    std::string m_path;
    std::string m_name;
    int m_outputFd = -1;
    int m_folderFd = -1;
};

} // namespace platform
