#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// File queries and removal on UTF-8 paths. A path holding a 0 byte names nothing (the system would read it only
// up to that byte): these answer "no such file" for it, or EINVAL where they report an error.
namespace platform
{

// True when a file (not a folder) is at path.
bool FileExists(const std::string& path);
// The same with the test's own failure told apart: false with error 0 when nothing or a folder is at path
// (ENOENT); false with the system's error code when the test itself fails (ENAMETOOLONG, ENOTDIR, EACCES,
// ELOOP, EINVAL for a 0 byte, ...), so that a caller never takes "cannot tell" for "free".
bool FileExists(const std::string& path, int& error);
// True when a folder is at path.
bool DirectoryExists(const std::string& path);
// Makes the folder at path with every folder above it that is missing. True when a folder is there afterwards;
// false with the system's error code in error.
bool MakeFolders(const std::string& path, int& error);
// True when a plain file is at path: not a folder, a pipe, a device or a socket (a link counts as what it leads to).
bool IsRegularFile(const std::string& path);
// True when anything at all stands at path: a file, a folder, a pipe, a link (also one that leads nowhere).
// False with error 0 when nothing does; false with the system's error code when the test itself fails.
bool NameTaken(const std::string& path, int& error);
// What a resume compares: a file's size, modification time and owner.
struct TFileStamp {
    int64_t Size = 0;
    int64_t ModifiedNs = 0; // nanoseconds since 1970
    uint32_t Owner = 0;

    bool operator==(const TFileStamp&) const = default;
};
// Which file a path names and as what it stands: a file copied, replaced or changed since is told apart.
struct TFileIdentity {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = 0;
    int64_t ModifiedNs = 0; // nanoseconds since 1970

    bool operator==(const TFileIdentity&) const = default;
};
// The identity of the file at path (a link counts as what it leads to); the system's error code, 0 on success.
int IdentityOf(const std::string& path, TFileIdentity& identity);
// Makes a new file at path holding text, whole or not at all: never over anything that stands there (EEXIST).
// The system's error code, 0 on success.
int WriteNewFile(const std::string& path, const std::string& text);
// The plain file at path (never through a link at its end) with the note of that name kept with it (an
// extended attribute in the user's namespace; empty when none); false when no plain file is there.
bool NotedFile(const std::string& path, const std::string& noteName, TFileStamp& stamp, std::string& note);
// A folder at path that only this user can enter or change: made (mode 0700) when nothing stands there, and then,
// or when it was there already, a real folder (not a link) of this user's with no rights for anyone else. False
// otherwise, with nothing changed that was there.
bool PrivateFolder(const std::string& path);
// The user this process runs as.
uint32_t CurrentUser();
// How many files this process may have open at once.
int OpenFileLimit();
// True when a file (not a folder) is at path that this process may run.
bool IsExecutableFile(const std::string& path);
// Removes the file at path. True when no file is there afterwards: also when none was, or a folder is there
// (folders are left alone); false with the system's error code in error when the file stays.
bool RemoveFile(const std::string& path, int& error);
// Renames the file at from to to in the same folder, replacing what stands at to. False with the system's error
// code in error.
bool RenameFile(const std::string& from, const std::string& to, int& error);
// The size of the file at path in bytes, or -1 when there is none.
int64_t FileSize(const std::string& path);
// The size of the file at path in bytes; on failure -1 with the system's error code in error (a folder
// gives EISDIR, since it has no size of its own).
int64_t FileSize(const std::string& path, int& error);
// The longest path in bytes the system takes (its path limit less the closing 0 byte).
std::size_t PathLengthLimit();
// True when path holds a 0 byte, at which the system would end the name.
bool HoldsZeroByte(const std::string& path);
// The system's own text for an error code, as strerror gives it.
std::string SystemErrorMessage(int code);

} // namespace platform
