#pragma once

#include <string>
#include <string_view>

namespace platform
{

// A file that only grows, one whole record at a time, each on the disk before Append returns: a crash or a power
// cut leaves every record that was told as written, and at most the last one cut short.
class TAppendFile
{
public:
    TAppendFile() = default;
    ~TAppendFile();
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;

    // Opens the file at path for appending, made (mode 0600) when missing; a link at its end is not followed.
    // False with the system's error code.
    bool Open(const std::string& path, int& error);
    // Writes record at the end and flushes it to the disk. False with the system's error code.
    bool Append(std::string_view record, int& error);

private:
    int m_fd = -1;
};

} // namespace platform
