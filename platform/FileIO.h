#pragma once

#include <memory>
#include <string>
#include <string_view>

// Whole-file reading and all-or-nothing file replacement on UTF-8 paths. Failures come back as false with the
// system's reason in `reason` (strerror text); nothing here throws.
namespace platform {

// The bytes of a whole file (the buffer is not zero-filled first: large files are read many megabytes at once).
class TFileBytes {
public:
    std::string_view View() const { return {m_data.get(), m_size}; }

private:
    friend bool ReadWholeFile(const std::string&, TFileBytes&, std::string&);
    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
};

// Reads the file at path into content. False when it cannot be opened or read (content is then unspecified).
bool ReadWholeFile(const std::string& path, TFileBytes& content, std::string& reason);

// Writes a file under a temporary name beside the target and renames it over the target in Commit, so a failed
// write never touches an existing file. A writer destroyed before a successful Commit removes its temporary file.
class TReplaceFile {
public:
    TReplaceFile() = default;
    TReplaceFile(const TReplaceFile&) = delete;
    TReplaceFile& operator=(const TReplaceFile&) = delete;
    ~TReplaceFile();

    // Creates the temporary file next to target (a symbolic link's target is replaced, not the link itself).
    bool Open(const std::string& target, std::string& reason);
    // Appends bytes; retries short writes and interrupted calls.
    bool Write(std::string_view bytes, std::string& reason);
    // Flushes to disk, gives the temporary file the existing target's permissions and renames it over target.
    bool Commit(std::string& reason);

private:
    void Discard();

    int m_fd = -1;
    std::string m_target;
    std::string m_temporary;
};

} // namespace platform
