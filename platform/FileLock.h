#pragma once

#include <string>

namespace platform
{

// A lock on a file that the system lets go of when its holder ends, however it ends (a crash or kill -9 too),
// so a lock left behind never blocks anyone. Held while this object lives, by one process at a time.
class TFileLock
{
public:
    TFileLock() = default;
    // Lets go of the lock; the file stays, for the next holder.
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    // Takes the lock on the file at path (made, mode 0600, when missing; a link is not followed) without waiting.
    // False when someone holds it; false with the system's reason in reason when the file cannot be opened.
    bool TryLock(const std::string& path, std::string& reason);
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform
