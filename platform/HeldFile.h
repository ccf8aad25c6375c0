#pragma once

#include <string>

namespace platform
{

// A plain file opened once and held by its descriptor: what is read through HeldPath is that file, whatever is
// put at its name afterwards (a pipe that would never end, another file).
class THeldFile
{
public:
    THeldFile() = default;
    ~THeldFile();
    THeldFile(const THeldFile&) = delete;
    THeldFile& operator=(const THeldFile&) = delete;

    // Opens the file at path without waiting for a writer; the system's error code, 0 on success, and EINVAL for
    // anything but a plain file (a pipe, a device, a folder), which is refused at once.
    int Open(const std::string& path);
    // A path that leads through the descriptor, for this process and the children it starts.
    std::string HeldPath() const;

private:
    int m_fd = -1;
};

} // namespace platform
