#include "watch/WatchLedger.h"

#include "platform/FileIO.h"
#include "platform/FileSystem.h"
#include "toolkit/Locations.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QList>
#include <algorithm>

namespace
{

const char* const DoneWord = "done";
const char* const FailedWord = "failed";

// Names and reasons are bytes of any kind; escaped, a record stays one line of fields apart by tabs.
std::string Escaped(const std::string& text)
{
    return QByteArray::fromStdString(text)
        .toPercentEncoding(QByteArray("/ !\"#$&'()*+,:;<=>?@[]\\^`{|}~"))
        .toStdString();
}

std::string Unescaped(const QByteArray& text)
{
    return QByteArray::fromPercentEncoding(text).toStdString();
}

std::string Line(const TWatchLedger::TEntry& entry)
{
    const platform::TFileIdentity& id = entry.Identity;
    return std::string(entry.Outcome == TWatchLedger::TOutcome::Done ? DoneWord : FailedWord) + "\t"
        + std::to_string(id.Device) + "\t" + std::to_string(id.Inode) + "\t" + std::to_string(id.Size) + "\t"
        + std::to_string(id.ModifiedNs) + "\t" + Escaped(entry.Path) + "\t" + Escaped(entry.Reason) + "\n";
}

bool Parse(const QByteArray& line, TWatchLedger::TEntry& entry)
{
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 7 || (fields[0] != DoneWord && fields[0] != FailedWord))
        return false;
    bool ok[4] = {};
    entry.Outcome = fields[0] == DoneWord ? TWatchLedger::TOutcome::Done : TWatchLedger::TOutcome::Failed;
    entry.Identity.Device = fields[1].toULongLong(&ok[0]);
    entry.Identity.Inode = fields[2].toULongLong(&ok[1]);
    entry.Identity.Size = fields[3].toLongLong(&ok[2]);
    entry.Identity.ModifiedNs = fields[4].toLongLong(&ok[3]);
    entry.Path = Unescaped(fields[5]);
    entry.Reason = Unescaped(fields[6]);
    return std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; });
}

} // namespace

std::string TWatchLedger::PathFor(const std::string& realFolder)
{
    QString name = QFileInfo(QString::fromStdString(realFolder)).fileName();
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != '-' && c != '_')
            c = '_';
    const QByteArray digest
        = QCryptographicHash::hash(QByteArray::fromStdString(realFolder), QCryptographicHash::Sha256).toHex().left(12);
    // Beside the window's kept list, in the program's state folder.
    return (QFileInfo(KeptListFile()).path() + "/watch/" + (name.isEmpty() ? "root" : name) + "-"
        + QString::fromLatin1(digest) + ".ledger")
        .toStdString();
}

std::vector<TWatchLedger::TEntry> TWatchLedger::Read(const std::string& path)
{
    std::vector<TEntry> entries;
    platform::TFileBytes bytes;
    std::string reason;
    if (!platform::ReadWholeFile(path, bytes, reason))
        return entries;
    std::map<TKey, std::size_t> at;
    const QByteArray text = QByteArray::fromRawData(bytes.View().data(), qsizetype(bytes.View().size()));
    for (const QByteArray& line : text.split('\n')) {
        TEntry entry;
        if (!Parse(line, entry))
            continue;
        // Of the same file, as it stood then, the last word holds.
        const auto [found, added] = at.emplace(KeyOf(entry.Identity), entries.size());
        if (added)
            entries.push_back(std::move(entry));
        else
            entries[found->second] = std::move(entry);
    }
    return entries;
}

bool TWatchLedger::Open(const std::string& path, std::string& message)
{
    m_path = path;
    int error = 0;
    const std::string folder = QFileInfo(QString::fromStdString(path)).path().toStdString();
    if (!platform::MakeFolders(folder, error)) {
        message
            = "The watch's ledger folder " + folder + " cannot be made: " + platform::SystemErrorMessage(error) + ".";
        return false;
    }
    std::string reason;
    if (!m_lock.TryLock(path + ".lock", reason)) {
        message = reason.empty() ? "Another watch of this folder runs already (its ledger is " + path + ")."
                                 : "The watch's ledger " + path + " cannot be opened: " + reason + ".";
        return false;
    }
    for (const TEntry& entry : Read(path))
        m_known[KeyOf(entry.Identity)] = entry.Outcome;
    if (!m_file.Open(path, error)) {
        message = "The watch's ledger " + path + " cannot be written: " + platform::SystemErrorMessage(error) + ".";
        return false;
    }
    return true;
}

bool TWatchLedger::Knows(const platform::TFileIdentity& identity) const
{
    return m_known.count(KeyOf(identity)) > 0;
}

bool TWatchLedger::Record(const TEntry& entry, std::string& message)
{
    int error = 0;
    if (!m_file.Append(Line(entry), error)) {
        message = "The watch's ledger " + m_path + " cannot be written: " + platform::SystemErrorMessage(error) + ".";
        return false;
    }
    m_known[KeyOf(entry.Identity)] = entry.Outcome;
    return true;
}

std::size_t TWatchLedger::Count(TOutcome outcome) const
{
    return static_cast<std::size_t>(
        std::count_if(m_known.begin(), m_known.end(), [&](const auto& known) { return known.second == outcome; }));
}

TWatchLedger::TKey TWatchLedger::KeyOf(const platform::TFileIdentity& identity)
{
    return { identity.Device, identity.Inode, identity.Size, identity.ModifiedNs };
}
