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

// Reads the regular file at path into content. False when it cannot be opened or read (content is then
// unspecified), and for anything that is not a regular file (a folder, a named pipe, a device), which is refused
// without waiting for a writer or reading an endless stream.
bool ReadWholeFile(const std::string& path, TFileBytes& content, std::string& reason);

// Writes a file under a temporary name beside the target and renames it over the target in Commit, so a failed
// write never touches an existing file. A writer destroyed before a successful Commit removes its temporary file.
// What a plain write would refuse is refused, and what it would reach is reached: a symbolic link is written
// through (its target is replaced, or created when missing), and an existing target must be writable. Where no
// temporary file can be made beside the target, the target itself is written: an existing one in place, but only
// once the space for the new content is reserved, and a failure leaves its old content whole.
class TReplaceFile {
public:
    TReplaceFile() = default;
    TReplaceFile(const TReplaceFile&) = delete;
    TReplaceFile& operator=(const TReplaceFile&) = delete;
    ~TReplaceFile();

    // Prepares writing target; false with the reason a plain write would give when it cannot be written.
    bool Open(const std::string& target, std::string& reason);
    // Appends bytes; retries short writes and interrupted calls.
    bool Write(std::string_view bytes, std::string& reason);
    // Flushes to disk and puts the written bytes in place: the temporary file, given the existing target's
    // permissions (a new file has the usual ones), is renamed over target.
    bool Commit(std::string& reason);

private:
    void Discard();
    bool OpenDirect(int existing, std::string& reason);
    bool ReplaceInPlace(std::string& reason);

    int m_fd = -1;
    std::string m_target;
    // Empty while the target itself is written.
    std::string m_temporary;
    // The target did not exist and was made by this writer: removed again when the write fails.
    bool m_created = false;
    // An existing regular file written in place: its new content is gathered here and put in place at Commit.
    bool m_inPlace = false;
    std::string m_pending;
};

} // namespace platform
