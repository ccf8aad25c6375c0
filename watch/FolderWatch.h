#pragma once

#include "platform/FolderEvents.h"

#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;
class TWatchLedger;

// The video and sound files that arrive under a folder, sub-folders too, each handed out once it is finished:
// its writer closed it or it was moved in whole (or, where the kernel cannot tell, as on a network share, it was
// found by looking), and then its size and modification time stayed the same for the settle time. A file still
// being written is never handed out. Passed over: what the ledger knows, hidden files and folders (the program's
// private work folders among them), anything under the output folder, and the program's own outputs wherever
// they lie. Runs on the thread of an event loop.
class TFolderWatch
{
public:
    struct TSettings {
        std::string Folder;
        std::string OutputFolder; // where the conversions go; never looked into
        int SettleMs = 5000;
        bool Poll = false; // look at the folder now and then even where the kernel tells of every write
    };
    struct TFile {
        std::string Path;
        platform::TFileIdentity Identity; // as it stood when it was found ready
    };

    // ledger: what is done already; it outlives the watch.
    TFolderWatch(const TSettings& settings, const TWatchLedger& ledger);
    ~TFolderWatch();
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    // Looks at every file under the folder and starts watching it. False with the message for the user when the
    // folder cannot be watched (not there, not a folder, no inotify and no way to look).
    bool Start(std::string& message);
    // The oldest file that is ready and not handed out yet.
    std::optional<TFile> Next();
    // Files wait to be handed out.
    bool HasReady() const { return !m_ready.empty(); }
    // Files seen that have not settled yet.
    std::size_t Settling() const { return m_candidates.size(); }
    // True when the folder is looked at rather than heard of.
    bool Polling() const { return m_polling; }
    // Set once the folder went away (removed, moved or its file system unmounted): nothing more comes, and the
    // message says so. The folder's files are never taken for deleted.
    bool Ended() const { return m_ended; }
    const std::string& EndMessage() const { return m_endMessage; }

    // Files are ready to be handed out.
    std::function<void()> OnReady;
    // The folder went away.
    std::function<void()> OnEnded;

private:
    void Tick();
    void TakeEvents();
    void Scan(const std::string& folder, int depth = 0);
    void Consider(const std::string& path);
    bool PassedOverFolder(const std::string& path) const;
    void End(const std::string& why);
    bool Offered(const platform::TFileIdentity& identity) const;

    const TSettings m_settings;
    const TWatchLedger& m_ledger;
    std::string m_root; // the folder with its links resolved
    platform::TFileIdentity m_rootIdentity;
    bool m_polling = false;
    bool m_ended = false;
    std::string m_endMessage;
    platform::TFolderEvents m_events;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct TWatched {
        std::string Path;
        uint64_t Inode = 0;
    };
    std::map<int, TWatched> m_watched;
    int m_rootWatch = -1;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastScan = 0;
    struct TCandidate {
        platform::TFileIdentity Identity;
        qint64 Since = 0; // when it last changed, on m_clock
    };
    std::map<std::string, TCandidate> m_candidates;
    std::deque<TFile> m_ready;
    // Handed out in this run: not offered again until it changes.
    std::vector<platform::TFileIdentity> m_offered;
};
