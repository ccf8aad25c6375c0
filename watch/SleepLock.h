#pragma once

#include <memory>
#include <string>

namespace platform
{
class Process;
class Pipe;
} // namespace platform

// Keeps the machine from suspending or going idle while files are converted: logind's inhibitor lock for sleep
// and idle (org.freedesktop.login1.Manager.Inhibit, taken by systemd's own systemd-inhibit, which holds it for
// a helper that lives exactly as long as a pipe from this process stays open). The system lets go of the lock
// the moment it is released or this process ends, however it ends. Where there is no logind (or no systemd),
// the work goes on without a lock and nothing is said.
// The lock's reason for a batch of files: "Converting 1 file", "Converting 3 files".
std::string ConvertingText(std::size_t files);

class TSleepLock
{
public:
    TSleepLock();
    // Lets go of the lock.
    ~TSleepLock();
    TSleepLock(const TSleepLock&) = delete;
    TSleepLock& operator=(const TSleepLock&) = delete;

    // Holds the lock with why as the reason the desktop shows ("Converting 3 files"); a new reason takes a new
    // lock, asked for before the old one goes. Nothing for the same reason.
    void Hold(const std::string& why);
    // Lets go of the lock; nothing when none is held.
    void Release();
    // The reason of the lock asked for; empty while none is.
    const std::string& Reason() const { return m_reason; }

private:
    struct THolder;
    std::unique_ptr<THolder> m_holder;
    std::string m_reason;
};
