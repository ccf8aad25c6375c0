#pragma once

#include "batch/BatchOptions.h"
#include "batch/RowSource.h"
#include "engine/plan/EncoderChoices.h"
#include "watch/FailureNotice.h"
#include "watch/FolderWatch.h"
#include "watch/SleepLock.h"
#include "watch/WatchLedger.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

// The rows of a watched folder: each file the watch finds ready becomes a row with the watch's format, output
// folder and choices, and its outcome goes into the folder's ledger, so that no file is converted twice, also
// across restarts. While a file is converted or waits, the machine is kept awake. The rows never end by
// themselves: only when the folder goes away or the watch is stopped.
class TWatchRows : public TRowSource
{
public:
    // The watch that --watch asks for: the folder, format, output folder (none: the default one) and choices.
    explicit TWatchRows(const TBatchOptions& options);
    // Opens the ledger and starts watching. False with the message for the user.
    bool Start(std::string& message);

    std::optional<TBatchRow> Next() override;
    bool Ended() const override { return m_stopped || m_watch->Ended(); }

    // The batch's row has ended: its outcome is kept, unless the watch is being stopped (a stopped row is taken
    // again next time); a failure is told to the desktop too.
    void RowEnded(const TBatchRow& row);
    // No more rows: the rows that run are being stopped.
    void Stop() { m_stopped = true; }
    // Why the watch ended by itself; empty while it runs or when it was stopped.
    const std::string& EndMessage() const { return m_watch->EndMessage(); }
    // A message for the user when a ledger record could not be written; empty when all went well.
    const std::string& LedgerFault() const { return m_ledgerFault; }

    // Files are ready for idle encoders.
    std::function<void()> OnReady;
    // The folder went away.
    std::function<void()> OnEnded;

private:
    void KeepAwake();

    TFolderWatch::TSettings m_watchSettings;
    int m_format = 0;
    QString m_path; // the output folder as rows name it; empty for the default one
    TEncoderChoices m_choices;
    TWatchLedger m_ledger;
    std::unique_ptr<TFolderWatch> m_watch;
    TSleepLock m_awake;
    TFailureNotice m_notice;
    std::map<int, TFolderWatch::TFile> m_running; // by row index
    int m_nextIndex = 0;
    bool m_stopped = false;
    std::string m_ledgerFault;
};
