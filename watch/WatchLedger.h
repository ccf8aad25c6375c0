#pragma once

#include "platform/AppendFile.h"
#include "platform/FileLock.h"
#include "platform/FolderEvents.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

// What a watch did with each file of its folder, kept in the user's state folder so that a restart converts
// nothing twice. A file is known by its device and inode with the size and modification time it had when it was
// taken: the same file changed since is a new one. Records are only ever added; the last record of a file holds.
class TWatchLedger
{
public:
    enum class TOutcome { Done, Failed };
    struct TEntry {
        platform::TFileIdentity Identity;
        TOutcome Outcome = TOutcome::Done;
        std::string Path; // the file's name when it was taken
        std::string Reason; // why it failed
    };

    // The ledger of the watched folder at realFolder (links resolved): one per folder, in the watch folder of the
    // user's state folder, named after the folder's last name and a digest of its whole path.
    static std::string PathFor(const std::string& realFolder);
    // The entries of the ledger at path, the last of each file, in the order they were first written; none when
    // there is no ledger. A line cut short by a crash is passed over. For looking on, while a watch may write it.
    static std::vector<TEntry> Read(const std::string& path);

    // Opens the ledger at path for this watch alone (its folder made when missing) and reads what it holds.
    // False with the message for the user when it cannot be written, or when another watch of the folder holds it.
    bool Open(const std::string& path, std::string& message);
    // True when the file, as it stands, was converted or failed already.
    bool Knows(const platform::TFileIdentity& identity) const;
    // Adds the entry, on the disk before this returns. False with the message when it cannot be written.
    bool Record(const TEntry& entry, std::string& message);
    std::size_t Count(TOutcome outcome) const;

private:
    using TKey = std::tuple<uint64_t, uint64_t, int64_t, int64_t>;
    static TKey KeyOf(const platform::TFileIdentity& identity);

    std::string m_path;
    platform::TFileLock m_lock;
    platform::TAppendFile m_file;
    std::map<TKey, TOutcome> m_known;
};
