#include "watch/FolderWatch.h"

#include "platform/FileSystem.h"
#include "watch/MediaNames.h"
#include "watch/WatchLedger.h"

#include <QDir>
#include <QSocketNotifier>
#include <algorithm>

namespace
{

// The note every checked output of the program carries: such a file is never a source of the watch.
const char* const OutputNote = "reelhand.row";

std::string LastName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Hidden(const std::string& name)
{
    return !name.empty() && name[0] == '.';
}

bool Under(const std::string& path, const std::string& folder)
{
    return path == folder
        || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
            && (folder.back() == '/' || path[folder.size()] == '/'));
}

} // namespace

TFolderWatch::TFolderWatch(const TSettings& settings, const TWatchLedger& ledger)
    : m_settings(settings)
    , m_ledger(ledger)
{
    // Checking a few files' sizes often costs nothing; walking a share's folders is done less often.
    m_timer.setInterval(std::clamp(settings.SettleMs / 4, 50, 1000));
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
}

TFolderWatch::~TFolderWatch() = default;

bool TFolderWatch::Start(std::string& message)
{
    int error = 0;
    m_root = platform::RealPath(m_settings.Folder, error);
    platform::TEntryKind kind = platform::TEntryKind::Other;
    if (m_root.empty() || !platform::EntryAt(m_root, kind, m_rootIdentity, error)) {
        message = "The folder to watch, " + m_settings.Folder
            + ", cannot be opened: " + platform::SystemErrorMessage(error) + ".";
        return false;
    }
    if (kind != platform::TEntryKind::Folder) {
        message = m_settings.Folder + " is not a folder; --watch takes the folder whose new files are converted.";
        return false;
    }
    std::string output = platform::RealPath(m_settings.OutputFolder, error);
    if (!output.empty() && Under(m_root, output)) {
        message = "The output folder " + m_settings.OutputFolder + " holds the watched folder " + m_settings.Folder
            + "; every output would arrive in the watch. Choose an output folder beside it or inside it.";
        return false;
    }
    m_polling = m_settings.Poll || !platform::KernelSeesEveryWrite(m_root, error) || !m_events.Open(error);
    m_clock.start();
    Scan(m_root);
    if (!m_polling) {
        m_notifier = std::make_unique<QSocketNotifier>(m_events.Handle(), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { TakeEvents(); });
    }
    m_lastScan = m_clock.elapsed();
    m_timer.start();
    return true;
}

std::optional<TFolderWatch::TFile> TFolderWatch::Next()
{
    if (m_ready.empty())
        return std::nullopt;
    TFile file = std::move(m_ready.front());
    m_ready.pop_front();
    return file;
}

bool TFolderWatch::PassedOverFolder(const std::string& path) const
{
    if (path == m_root)
        return false;
    if (Hidden(LastName(path)))
        return true;
    // The output folder may be made while the watch runs: it is found anew each time.
    int error = 0;
    std::string output = platform::RealPath(m_settings.OutputFolder, error);
    if (output.empty())
        output = QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromStdString(m_settings.OutputFolder)))
                     .toStdString();
    return Under(path, output);
}

void TFolderWatch::Scan(const std::string& folder, int depth)
{
    // Links are never followed, but a folder mounted again below itself would lead on for ever.
    constexpr int DeepestFolder = 64;
    if (m_ended || depth > DeepestFolder || PassedOverFolder(folder))
        return;
    if (!m_polling) {
        int error = 0;
        const int watch = m_events.Watch(folder, error);
        if (watch < 0) {
            // Out of inotify watches (a very large tree), or the folder went meanwhile: a folder that cannot be
            // heard of is looked at instead, with the same rule.
            if (error != ENOENT && error != ENOTDIR) {
                m_polling = true;
                if (m_notifier)
                    m_notifier->setEnabled(false);
            }
        } else {
            platform::TEntryKind kind;
            platform::TFileIdentity identity;
            platform::EntryAt(folder, kind, identity, error);
            m_watched[watch] = { folder, identity.Inode };
            if (folder == m_root)
                m_rootWatch = watch;
        }
    }
    std::vector<platform::TFolderEntry> entries;
    int error = 0;
    if (!platform::ListFolder(folder, entries, error))
        return;
    for (const platform::TFolderEntry& entry : entries) {
        const std::string path = (folder == "/" ? "" : folder) + "/" + entry.Name;
        if (entry.Kind == platform::TEntryKind::Folder)
            Scan(path, depth + 1);
        else if (entry.Kind == platform::TEntryKind::File)
            Consider(path);
    }
}

bool TFolderWatch::Offered(const platform::TFileIdentity& identity) const
{
    return std::find(m_offered.begin(), m_offered.end(), identity) != m_offered.end();
}

void TFolderWatch::Consider(const std::string& path)
{
    const std::string name = LastName(path);
    if (Hidden(name) || !IsMediaName(QString::fromUtf8(name.data(), qsizetype(name.size()))))
        return;
    platform::TEntryKind kind;
    platform::TFileIdentity identity;
    int error = 0;
    if (!platform::EntryAt(path, kind, identity, error) || kind != platform::TEntryKind::File
        || m_ledger.Knows(identity) || Offered(identity))
        return;
    const auto found = m_candidates.find(path);
    if (found == m_candidates.end() || !(found->second.Identity == identity))
        m_candidates[path] = { identity, m_clock.elapsed() };
}

void TFolderWatch::Tick()
{
    platform::TEntryKind kind;
    platform::TFileIdentity root;
    int error = 0;
    // An unmounted share leaves its empty mount point behind: a folder, but another one.
    if (!platform::EntryAt(m_root, kind, root, error) || kind != platform::TEntryKind::Folder
        || root.Device != m_rootIdentity.Device || root.Inode != m_rootIdentity.Inode)
        return End(m_settings.Folder);
    const qint64 now = m_clock.elapsed();
    if (m_polling && now - m_lastScan >= std::clamp(m_settings.SettleMs / 2, 100, 10000)) {
        Scan(m_root);
        m_lastScan = now;
    }
    const bool wereReady = !m_ready.empty();
    for (auto it = m_candidates.begin(); it != m_candidates.end();) {
        platform::TFileIdentity identity;
        if (!platform::EntryAt(it->first, kind, identity, error) || kind != platform::TEntryKind::File) {
            it = m_candidates.erase(it);
            continue;
        }
        if (!(identity == it->second.Identity)) {
            it->second = { identity, now };
            ++it;
            continue;
        }
        if (now - it->second.Since < m_settings.SettleMs) {
            ++it;
            continue;
        }
        platform::TFileStamp stamp;
        std::string note;
        if (!platform::NotedFile(it->first, OutputNote, stamp, note) || note.empty()) {
            m_offered.push_back(identity);
            m_ready.push_back({ it->first, identity });
        }
        it = m_candidates.erase(it);
    }
    if (!wereReady && !m_ready.empty() && OnReady)
        OnReady();
}

void TFolderWatch::TakeEvents()
{
    for (const platform::TFolderEvents::TEvent& event : m_events.Take()) {
        if (m_ended)
            return;
        using TKind = platform::TFolderEvents::TKind;
        const auto watched = m_watched.find(event.Watch);
        if (event.Kind == TKind::Overflow) {
            Scan(m_root);
            continue;
        }
        if (watched == m_watched.end())
            continue;
        const std::string path = watched->second.Path + "/" + event.Name;
        switch (event.Kind) {
        case TKind::Gone:
        case TKind::Moved:
            if (event.Watch == m_rootWatch)
                return End(m_settings.Folder);
            if (event.Kind == TKind::Gone) {
                m_watched.erase(watched);
            } else {
                // A folder moved inside the tree was watched again under its new name before this came.
                platform::TEntryKind kind;
                platform::TFileIdentity identity;
                int error = 0;
                if (!platform::EntryAt(watched->second.Path, kind, identity, error)
                    || identity.Inode != watched->second.Inode) {
                    m_events.Forget(event.Watch);
                    m_watched.erase(watched);
                }
            }
            break;
        case TKind::FolderIn:
            Scan(path);
            break;
        case TKind::Written:
        case TKind::MovedIn:
            Consider(path);
            break;
        case TKind::Overflow:
            break;
        }
    }
}

void TFolderWatch::End(const std::string& folder)
{
    if (m_ended)
        return;
    m_ended = true;
    m_endMessage = "The watched folder " + folder
        + " went away (removed, moved or unmounted); the watch stops. Its ledger is kept: start the watch again "
          "once the folder is back.";
    m_timer.stop();
    // This may run inside the notifier's own signal: it is only put to rest.
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_candidates.clear();
    m_ready.clear();
    if (OnEnded)
        OnEnded();
}
