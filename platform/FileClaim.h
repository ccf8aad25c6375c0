#pragma once

#include <functional>
#include <string>

// Claims on names shared by several processes, on this machine or on others that share the folder over a network
// file system. A claim is a file made exclusively; its holder keeps it locked for as long as it lives, so a claim
// file that nobody holds was left by a holder that ended without letting go (a crash, a lost machine).
namespace platform {

class TFileClaim {
public:
    enum class TResult {
        Claimed, // the claim file is ours
        Taken, // a living holder has it, or whether it lives cannot be told
        Stale, // its holder has gone without removing it
        Failed, // no claim file can be made there (see reason)
    };

    TFileClaim() = default;
    // Lets go of a claim still held.
    ~TFileClaim();
    TFileClaim(const TFileClaim&) = delete;
    TFileClaim& operator=(const TFileClaim&) = delete;

    // Makes the claim file at path and holds it. A file already there is never touched: it is Taken or Stale.
    TResult Claim(const std::string& path, std::string& reason);
    // Removes the claim file and lets go of it; nothing when none is held.
    void Release();

private:
    int m_fd = -1;
    std::string m_path;
};

// Takes over the stale claim file at path: holds it, and only while it is still the same unheld file there, runs
// cleanup and removes it. False when it is held again, has gone or was replaced meanwhile (nothing is run then).
bool RemoveStaleClaim(const std::string& path, const std::function<void()>& cleanup);

} // namespace platform
