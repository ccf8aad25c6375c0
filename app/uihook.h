#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TFileDrop;
enum class TMsgIcon;
class TListKeeper;
class TSleepLock;
class TmainDlg;
struct TWindowOptions;
struct TVirtualNode;

// The main window's controller: makes the program-wide objects, hooks every control of the main window,
// keeps the buttons in step with the conversion job and runs the add, import and export flows.
class TUIHook
{
public:
    // Makes the format catalogue (reading its file), the staging list and the menu drawing, in that order.
    explicit TUIHook(TmainDlg* form);
    // Frees the menu drawing, the list file, the staging list, the file list model, the catalogue and the
    // job, in that order; a running batch is stopped first and reports nothing to the closed window.
    ~TUIHook();
    TUIHook(const TUIHook&) = delete;
    TUIHook& operator=(const TUIHook&) = delete;

    // Hooks the window once, right after construction: caption, caption forwarding, idle buttons, handlers,
    // popup menu drawing, then the file list model, the conversion job and the list file on the list.
    void WireMainWindow();

    // Asks for files and adds them as AddChosenFiles does.
    void btnAddClick();
    // Shows the add-files dialog on the files (none: nothing is shown) and appends their rows when it is
    // closed with OK; the count label is rewritten in every case. Files dropped on the window come here too.
    void AddChosenFiles(const QStringList& chosen);
    // Files and folders named on the command line: added as if they were dropped on the window.
    void AddPaths(const QStringList& paths);
    // The command line of a later start: the window comes to the front, takes its --jobs and adds its files.
    // While a dialog of the window is open, this waits until it is closed.
    void TakeHandOver(const TWindowOptions& options);
    // Brings back the list kept in the file and keeps every later change there; a kept list that cannot be
    // read back is reported, set aside, and the list starts empty.
    void KeepList(const QString& path);
    // Whether the user's close may go on: while a batch runs, only when the user says so.
    bool FormCloseQuery();
    // Lets the user choose the default output folder, kept in the settings.
    void lbOutputClick();
    // Starts a batch when the list has rows; nothing happens with an empty list. When some rows are converted
    // already, asks first whether to convert the others (the default), all of them again, or nothing.
    void btnConvertClick();
    void btnStopClick();
    void btnSupportClick();
    void lbUpdateClick();
    void btnListClick();
    // Imports a list file; refused while a batch runs or is still stopping.
    void btnImportClick();
    // Exports the list; refused while a batch runs or the list is empty. ".qfl" is added unless the name
    // already ends in exactly ".qfl".
    void btnExportClick();
    // The row menu's items are refused while a batch runs or is still stopping, but for the properties and the
    // opening of files. Delete removes the selected rows; Clear asks first while rows wait to be converted.
    void pmiDeleteClick();
    void pmiClearClick();
    void pmiRemoveFinishedClick();
    // The selected rows that were converted or failed go back to waiting.
    void pmiConvertAgainClick();
    // The failed rows go back to waiting and are converted, the other rows left as they are.
    void pmiRetryFailedClick();
    // The selected row's converted file, and the folders of the selected rows' files.
    void pmiOpenOutputClick();
    void pmiOpenFolderClick();
    void pmiPropertiesClick();
    void pmiWatchedFoldersClick();
    // Enables the row menu's items that have something to act on.
    void UpdateRowMenu();
    // The list's keys: Delete as pmiDeleteClick, Enter opens the properties of the selected row.
    void ListKeyDown(int& key, Qt::KeyboardModifiers shift);

    void JobProgress(int percent);
    void JobFinished(bool stopped);
    void JobTick();

private:
    void SetIdleState();
    void SetBusyState();
    // Starts a batch that passes over the given rows.
    void StartBatch(const std::vector<TVirtualNode*>& passOver);
    // The converted rows a Convert leaves as they are, as the user answers; nothing when the user cancels.
    std::optional<std::vector<TVirtualNode*>> AskWhatToConvert();
    // The count label from the rows: how many there are and how many are Done, and while a batch runs how much
    // of its work is done. An empty list empties the bar too.
    void UpdateCountLabel();
    // The bar and the count label as far as the batch's work has got.
    void ShowWorkDone(int percent);
    void ShowOutputFolder();
    // Opens the address; when nothing opens it, says so, naming what was missing ("web browser").
    void OpenOrTell(const QString& url, const QString& what);
    // The folder a row's file is in (a finished row's own file) or goes to.
    QString OutputFolderOf(TVirtualNode* node) const;
    // Opens each folder in the file manager; more than a few open as the one folder that holds them all.
    void OpenFolders(const QStringList& folders);
    void AttachCaptionForwarding();
    void AttachHandlers();
    // True while the job still refers to a row of the list, from Start until OnFinished.
    bool BatchRunning() const;
    // Warns of the rows from position firstImported on whose format is not in the catalogue.
    void SayUnknownFormats(unsigned firstImported);
    // The end message, and the folders its "Open folder" opens.
    void ShowEndMessage(const QString& text, TMsgIcon icon, const QStringList& folders);
    // The batch's rows that the user's stop ended.
    int StoppedRows() const;
    // The end message's line for the batch's Done rows that have notes ("2 files have notes: ..."), with its line
    // break before it; empty when none has.
    QString NotesLine() const;

    TmainDlg* m_form;
    std::unique_ptr<TListKeeper> m_keeper;
    TFileDrop* m_drop = nullptr; // the window's child
    // The rows the running batch passes over; compared only, as rows cannot go while a batch runs.
    std::vector<TVirtualNode*> m_passedOver;
    // Receives the list's changes for the count while the controller lives.
    std::unique_ptr<QObject> m_countFollowsRows;
    // Keeps the machine awake while a batch runs.
    std::unique_ptr<TSleepLock> m_awake;
};

// The file name patterns of the add filter's "All Supported Formats".
QStringList AddPatterns();

// The count label's text: "<rows> files, finished <finished> of <rows>", then ", <percent> % done" when a
// batch's work done is given, and ", about 00:03:10 left" when the time the batch still needs is known too.
QString CountText(int rows, int finished, std::optional<int> workDone = std::nullopt,
    std::optional<int64_t> secondsLeft = std::nullopt);

// The end-of-batch warning when some rows failed: how many of how many, and where to see why.
QString FailedText(int failed, int rows);
// The end message's line when the user stopped some rows of the batch: how many of how many were left unconverted.
QString StoppedText(int stopped, int rows);

// The time label's text for a batch that has run the given seconds: hours, minutes and seconds with two
// digits at least; hours keep growing past 99.
QString TimestampText(int64_t seconds);

// The name an export writes to: the chosen name, plus ".qfl" unless its extension is exactly ".qfl".
QString ListFileName(const QString& chosen);
