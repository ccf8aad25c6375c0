#include "batch/WatchRows.h"

#include "platform/FolderEvents.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"

#include <QDir>

TWatchRows::TWatchRows(const TBatchOptions& options)
    : m_format(options.Format)
    , m_choices(options.Choices)
{
    // Relative folders are taken from the current one, as a shell user means them.
    const auto absolute
        = [](const std::string& folder) { return QDir::cleanPath(QDir::current().absoluteFilePath(NameText(folder))); };
    m_path = options.OutputFolder.empty() ? QString() : absolute(options.OutputFolder);
    m_watchSettings = { NameBytes(absolute(options.WatchFolder)),
        NameBytes(m_path.isEmpty() ? DefaultOutputFolder() : m_path), options.SettleMs, options.Poll };
}

bool TWatchRows::Start(std::string& message)
{
    int error = 0;
    const std::string real = platform::RealPath(m_watchSettings.Folder, error);
    if (!real.empty() && !m_ledger.Open(TWatchLedger::PathFor(real), message))
        return false;
    m_watch = std::make_unique<TFolderWatch>(m_watchSettings, m_ledger);
    m_watch->OnReady = [this] {
        KeepAwake();
        if (OnReady)
            OnReady();
    };
    m_watch->OnEnded = [this] {
        if (OnEnded)
            OnEnded();
    };
    return m_watch->Start(message);
}

std::optional<TBatchRow> TWatchRows::Next()
{
    if (Ended())
        return std::nullopt;
    std::optional<TFolderWatch::TFile> file = m_watch->Next();
    if (!file)
        return std::nullopt;
    TBatchRow row;
    row.Index = m_nextIndex++;
    row.FileName = NameText(file->Path);
    row.FormatIndex = m_format;
    row.Path = m_path;
    row.Choices = m_choices;
    m_running[row.Index] = std::move(*file);
    KeepAwake();
    return row;
}

void TWatchRows::RowEnded(const TBatchRow& row)
{
    const auto found = m_running.find(row.Index);
    if (found == m_running.end())
        return;
    const TFolderWatch::TFile file = std::move(found->second);
    m_running.erase(found);
    KeepAwake();
    if (m_stopped
        || (row.State != TRowState::Done && row.State != TRowState::Skipped && row.State != TRowState::Failed))
        return;
    const bool failed = row.State == TRowState::Failed;
    std::string message;
    if (!m_ledger.Record({ file.Identity, failed ? TWatchLedger::TOutcome::Failed : TWatchLedger::TOutcome::Done,
                             file.Path, row.Reason },
            message))
        m_ledgerFault = message;
    if (failed)
        m_notice.Show(file.Path, row.Reason);
}

void TWatchRows::KeepAwake()
{
    const std::size_t files = m_running.size() + (m_watch->HasReady() ? 1 : 0);
    if (files == 0 || m_stopped)
        m_awake.Release();
    else
        m_awake.Hold(ConvertingText(std::max<std::size_t>(m_running.size(), 1)));
}
