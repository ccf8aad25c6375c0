#include "app/uihook.h"

#include "app/BrowseFolder.h"
#include "app/ChoiceBoxes.h"
#include "app/FilesAtOnce.h"
#include "app/FormStyle.h"
#include "app/ItemForm.h"
#include "app/SplitLongFiles.h"
#include "app/WatchLedgerForm.h"
#include "app/WindowOptions.h"
#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/FSProgressBar.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "controls/menuDraw.h"
#include "engine/row/EncoderReport.h"
#include "engine/command.h"
#include "engine/commandManager.h"
#include "list/ListKeeper.h"
#include "list/RowNotes.h"
#include "list/itemManager.h"
#include "list/saveManager.h"
#include "list/treeManager.h"
#include "toolkit/Application.h"
#include "toolkit/DesktopNotice.h"
#include "toolkit/FileDrop.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"
#include "toolkit/VirtualStringTree.h"
#include "toolkit/VisibleText.h"
#include "watch/MediaNames.h"
#include "watch/SleepLock.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace
{

constexpr TColor DisabledCaptionColor = RGB(141, 141, 141);

// The same extensions as a watch folder takes.
const QString AddFilter = "All Supported Formats|*." + MediaExtensions().join(";*.") + "|All Files|*.*";
const QString ListFilter = "Quor File List File (*.qfl)|*.qfl";
const QString SupportPage = "https://reelhand.quor.app/support";
const QString HomePage = "https://reelhand.quor.app/";

// Hands a caption label's mouse input to the big button it lies over, so that hovering or clicking the
// caption acts on the button. Every mouse button counts as the left one, as the button gets it at (0, 0).
// The caption's underlined letter with Alt (the label's only shortcut) clicks the button too.
class TCaptionForwarder : public QObject
{
public:
    TCaptionForwarder(QLabel* label, TImageButton* button)
        : QObject(label)
        , m_button(button)
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
            m_button->ForwardMouseEnter();
            break;
        case QEvent::Leave:
            m_button->ForwardMouseLeave();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_button->ForwardMouseDown();
            return true;
        case QEvent::MouseButtonRelease:
            m_button->ForwardMouseUp();
            return true;
        case QEvent::Shortcut:
            m_button->Click();
            return true;
        default:
            break;
        }
        return false;
    }

private:
    TImageButton* m_button;
};

// A label's click: the left button released over it.
class TLabelClick : public QObject
{
public:
    TLabelClick(QLabel* label, std::function<void()> onClick)
        : QObject(label)
        , m_onClick(std::move(onClick))
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton
            && static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
            m_onClick();
        return true;
    }

private:
    std::function<void()> m_onClick;
};

void SetCaptionState(TImageButton* button, QLabel* caption, bool enabled)
{
    button->SetEnabled(enabled);
    SetTextColor(caption, enabled ? CaptionColor : DisabledCaptionColor);
}

// A later start's files wait this long between looks for the window's dialogs to be closed.
constexpr int HandOverRetryMs = 300;

const TItemNodeData& Record(TVirtualStringTree* list, PVirtualNode node)
{
    return *list->GetNodeData<TItemNodeData>(node);
}

// The rows in a state, in list order.
std::vector<PVirtualNode> RowsIn(TVirtualStringTree* list, TItemState state)
{
    std::vector<PVirtualNode> rows;
    for (PVirtualNode node = list->GetFirst(); node; node = list->GetNextSibling(node))
        if (Record(list, node).ImageIndex == state)
            rows.push_back(node);
    return rows;
}

// The rows become waiting rows again, with nothing left of their last conversion.
void BackToWaiting(TVirtualStringTree* list, const std::vector<PVirtualNode>& rows)
{
    TTreeUpdate update(list);
    for (PVirtualNode node : rows) {
        TItemNodeData& row = *list->GetNodeData<TItemNodeData>(node);
        row.ImageIndex = Waiting;
        row.ItemData.Reason.clear();
        row.ItemData.Stopped = false;
        row.ItemData.Output.clear();
        row.ItemData.OutputSize.reset();
        row.ItemData.OutputLength.reset();
        row.ItemData.Notes.clear();
        list->RepaintNode(node);
    }
}

template <class T> void Free(T*& instance)
{
    delete instance;
    instance = nullptr;
}

// The deepest folder that holds every one of the folders (clean, absolute, each ending in "/").
QString CommonFolder(const QStringList& folders)
{
    QStringList common = folders.value(0).split('/');
    for (const QString& folder : folders) {
        const QStringList parts = folder.split('/');
        qsizetype same = 0;
        while (same < common.size() && same < parts.size() && common[same] == parts[same])
            ++same;
        common = common.mid(0, same);
    }
    return IncludeTrailingSlash(common.join('/') + '/');
}

} // namespace

QStringList AddPatterns()
{
    return AddFilter.section('|', 1, 1).split(';');
}

QString CountText(int rows, int finished, std::optional<int> workDone, std::optional<int64_t> secondsLeft)
{
    QString count = QString::asprintf("%d files, finished %d of %d", rows, finished, rows);
    if (workDone)
        count += QString::asprintf(", %d %% done", *workDone);
    if (workDone && secondsLeft)
        count += ", about " + QString::fromStdString(ClockText(*secondsLeft)) + " left";
    return count;
}

QString FailedText(int failed, int rows)
{
    return QString::asprintf(
        "%d of %d files could not be converted. Point at a row marked as failed to see why.", failed, rows);
}

QString StoppedText(int stopped, int rows)
{
    return QString::asprintf("Stopped by you: %d of %d files were left unconverted.", stopped, rows);
}

QString TimestampText(int64_t seconds)
{
    return "timestamp: " + QString::fromStdString(ClockText(seconds));
}

QString ListFileName(const QString& chosen)
{
    const qsizetype nameStart = chosen.lastIndexOf('/') + 1;
    const qsizetype dot = chosen.lastIndexOf('.');
    const QString extension = dot >= nameStart ? chosen.mid(dot) : QString();
    return extension == ".qfl" ? chosen : chosen + ".qfl";
}

TUIHook::TUIHook(TmainDlg* form)
    : m_form(form)
    , m_awake(std::make_unique<TSleepLock>())
{
    CommandManager = new TCommandManager();
    ItemManager = new TItemManager();
    MenuDraw = new TMenuDraw();
}

TUIHook::~TUIHook()
{
    m_countFollowsRows.reset();
    // The rows are still there: a change not yet kept is written now.
    m_keeper.reset();
    // The window is closing: whatever the job still says must not reach it.
    if (Command) {
        Command->OnProgress = nullptr;
        Command->OnFinished = nullptr;
        Command->OnTick = nullptr;
    }
    Free(MenuDraw);
    Free(SaveManager);
    Free(ItemManager);
    Free(TreeManager);
    Free(CommandManager);
    Free(Command);
}

void TUIHook::WireMainWindow()
{
    // Qt paints every window through a back buffer already, so the window needs no double-buffer switch.
    m_form->setWindowTitle(Application->Title());
    AttachCaptionForwarding();
    SetCaptionState(m_form->btnStop, m_form->lbStop, false);
    AttachHandlers();
    MenuDraw->SetMenu(m_form->PopupMenu1);
    auto menuItem = [this](QAction* item, void (TUIHook::*handler)()) {
        QObject::connect(
            item, &QAction::triggered, m_form, [this, handler] { Application->Guard([&] { (this->*handler)(); }); });
    };
    menuItem(m_form->pmiDelete, &TUIHook::pmiDeleteClick);
    menuItem(m_form->pmiClear, &TUIHook::pmiClearClick);
    menuItem(m_form->pmiRemoveFinished, &TUIHook::pmiRemoveFinishedClick);
    menuItem(m_form->pmiConvertAgain, &TUIHook::pmiConvertAgainClick);
    menuItem(m_form->pmiRetryFailed, &TUIHook::pmiRetryFailedClick);
    menuItem(m_form->pmiOpenOutput, &TUIHook::pmiOpenOutputClick);
    menuItem(m_form->pmiOpenFolder, &TUIHook::pmiOpenFolderClick);
    menuItem(m_form->pmiProperties, &TUIHook::pmiPropertiesClick);
    menuItem(m_form->pmiWatchedFolders, &TUIHook::pmiWatchedFoldersClick);
    QObject::connect(m_form->PopupMenu1, &QMenu::aboutToShow, m_form, [this] { UpdateRowMenu(); });

    TreeManager = new TTreeManager(m_form->VirtualStringTree1);
    TreeManager->PopupMenu = m_form->PopupMenu1;
    TreeManager->IsIdle = [] { return !Command || Command->Idle(); };
    // During a batch the properties are there to be read: the job has taken the rows' settings already.
    TreeManager->PropertiesDialog = [this](const TItemData& item) { return ShowItemDialog(item, BatchRunning()); };
    // The count follows the rows: a row that turns Done, rows that come or go.
    m_countFollowsRows = std::make_unique<QObject>();
    QObject::connect(m_form->VirtualStringTree1, &TVirtualStringTree::RowsChanged, m_countFollowsRows.get(),
        [this] { UpdateCountLabel(); });
    QObject::connect(m_form->VirtualStringTree1, &TVirtualStringTree::RowRepainted, m_countFollowsRows.get(),
        [this] { UpdateCountLabel(); });

    Command = new TCommand(m_form->VirtualStringTree1);
    Command->OnProgress = [this](auto*, int percent) { Application->Guard([&] { JobProgress(percent); }); };
    Command->OnFinished = [this](auto*, bool stopped) { Application->Guard([&] { JobFinished(stopped); }); };
    Command->OnTick = [this](auto*) { Application->Guard([&] { JobTick(); }); };
    // The box waits for its turn in the event loop, so the batch goes on meanwhile.
    Command->OnStartFailure = [](TDosCommand*, const std::string& message) {
        Application->ShowExceptionLater(QString::fromStdString(message), [] { return Command != nullptr; });
    };
    Command->SetFilesAtOnce(FilesAtOnce::Stored());
    for (int count = 1; count <= FilesAtOnce::Limit(); ++count)
        m_form->cbFilesAtOnce->addItem(QString::number(count));
    m_form->cbFilesAtOnce->SetItemIndex(Command->FilesAtOnce() - 1);
    m_form->cbFilesAtOnce->OnChange = [this](QObject*) {
        FilesAtOnce::Store(m_form->cbFilesAtOnce->ItemIndex() + 1);
        Command->SetFilesAtOnce(FilesAtOnce::Stored());
    };
    Command->SetSplitLongFiles(SplitLongFiles::Stored());
    m_form->cbSplitLongFiles->setChecked(Command->SplitLongFiles());
    QObject::connect(m_form->cbSplitLongFiles, &QCheckBox::toggled, [](bool on) {
        SplitLongFiles::Store(on);
        Command->SetSplitLongFiles(on);
    });

    SaveManager = new TSaveManager(m_form->VirtualStringTree1);
    ShowOutputFolder();
}

void TUIHook::AttachCaptionForwarding()
{
    new TCaptionForwarder(m_form->lbAdd, m_form->btnAdd);
    new TCaptionForwarder(m_form->lbConvert, m_form->btnConvert);
    new TCaptionForwarder(m_form->lbList, m_form->btnList);
    new TCaptionForwarder(m_form->lbStop, m_form->btnStop);
    new TCaptionForwarder(m_form->lbSupport, m_form->btnSupport);
}

void TUIHook::AttachHandlers()
{
    auto hook = [this](void (TUIHook::*handler)()) {
        return [this, handler](auto*) { Application->Guard([&] { (this->*handler)(); }); };
    };
    m_form->btnAdd->OnClick = hook(&TUIHook::btnAddClick);
    m_form->btnConvert->OnClick = hook(&TUIHook::btnConvertClick);
    m_form->btnStop->OnClick = hook(&TUIHook::btnStopClick);
    m_form->btnSupport->OnClick = hook(&TUIHook::btnSupportClick);
    m_form->btnList->OnClick = hook(&TUIHook::btnListClick);
    m_form->btnImport->OnClick = hook(&TUIHook::btnImportClick);
    m_form->btnExport->OnClick = hook(&TUIHook::btnExportClick);
    new TLabelClick(m_form->lbUpdate, [this] { Application->Guard([this] { lbUpdateClick(); }); });
    new TLabelClick(m_form->lbOutput, [this] { Application->Guard([this] { lbOutputClick(); }); });
    m_form->VirtualStringTree1->OnKeyDown
        = [this](TVirtualStringTree*, int& key, Qt::KeyboardModifiers shift) { ListKeyDown(key, shift); };
    m_drop = new TFileDrop(m_form, AddPatterns());
    m_drop->OnDrop = [this](const QStringList& files) { Application->Guard([&] { AddChosenFiles(files); }); };
}

void TUIHook::SetIdleState()
{
    SetCaptionState(m_form->btnAdd, m_form->lbAdd, true);
    SetCaptionState(m_form->btnConvert, m_form->lbConvert, true);
    SetCaptionState(m_form->btnStop, m_form->lbStop, false);
}

void TUIHook::SetBusyState()
{
    SetCaptionState(m_form->btnAdd, m_form->lbAdd, false);
    SetCaptionState(m_form->btnConvert, m_form->lbConvert, false);
    SetCaptionState(m_form->btnStop, m_form->lbStop, true);
}

void TUIHook::UpdateCountLabel()
{
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    int done = 0;
    for (PVirtualNode node = list->GetFirst(); node; node = list->GetNextSibling(node))
        done += list->GetNodeData<TItemNodeData>(node)->ImageIndex == Done;
    const bool running = BatchRunning();
    const std::optional<int> workDone = running ? std::optional(Command->WorkDonePercent()) : std::nullopt;
    m_form->lbCount->setText(CountText(
        int(list->TotalCount()), done, workDone, running ? Command->SecondsLeft() : std::nullopt));
    // A bar left full over an empty list would tell of files that are no longer there.
    if (list->RootNodeCount() == 0)
        m_form->ProgressBar1->SetPosition(0);
}

void TUIHook::ShowWorkDone(int percent)
{
    m_form->ProgressBar1->SetPosition(percent);
    UpdateCountLabel();
}

bool TUIHook::BatchRunning() const
{
    return Command && (!Command->Idle() || Command->Running());
}

void TUIHook::btnAddClick()
{
    const QStringList chosen = Application->Dialogs().OpenFiles(m_form, QString(), AddFilter);
    m_form->repaint();
    AddChosenFiles(chosen);
}

void TUIHook::AddChosenFiles(const QStringList& chosen)
{
    std::vector<std::string> files;
    for (const QString& name : chosen)
        files.push_back(NameBytes(name));
    if (!files.empty()) {
        TaddDlg dialog;
        dialog.SetFiles(chosen);
        dialog.exec();
        if (dialog.Accepted()) {
            const int format = dialog.FormatIndex();
            const std::string folder = NameBytes(dialog.SaveFolder());
            const TEncoderChoices choices = dialog.ChoiceBoxes->Choices();
            for (const std::string& file : files)
                ItemManager->StageItem(file, format, folder, choices);
            TreeManager->AddFiles(files);
        }
    }
    UpdateCountLabel();
}

void TUIHook::AddPaths(const QStringList& paths)
{
    if (!paths.isEmpty())
        m_drop->Add(paths);
}

void TUIHook::TakeHandOver(const TWindowOptions& options)
{
    // A dialog inside a dialog would leave the user with two to close in order.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(
            HandOverRetryMs, m_form, [this, options] { Application->Guard([&] { TakeHandOver(options); }); });
        return;
    }
    if (options.Jobs) {
        FilesAtOnce::Store(*options.Jobs);
        Command->SetFilesAtOnce(FilesAtOnce::Stored());
        m_form->cbFilesAtOnce->SetItemIndex(Command->FilesAtOnce() - 1);
    }
    m_form->setWindowState(m_form->windowState() & ~Qt::WindowMinimized);
    m_form->show();
    m_form->raise();
    m_form->activateWindow();
    AddPaths(options.Paths);
}

void TUIHook::KeepList(const QString& path)
{
    m_keeper = std::make_unique<TListKeeper>(m_form->VirtualStringTree1, path);
    m_keeper->OnSaveFailed
        = [](const std::string& message) { Application->ShowExceptionLater(QString::fromStdString(message)); };
    try {
        m_keeper->Restore();
    } catch (const EKeptListError& error) {
        Application->ShowExceptionLater(QString::fromStdString(error.Message()));
    }
    UpdateCountLabel();
}

bool TUIHook::FormCloseQuery()
{
    return !BatchRunning()
        || Application->MessageBox("Files are being converted. Stop converting and close the window?",
               TMsgIcon::Question, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void TUIHook::lbOutputClick()
{
    const QString folder = Application->Dialogs().BrowseFolder(m_form, "Default Output Folder");
    if (folder.isEmpty())
        return;
    SetChosenOutputFolder(folder);
    ShowOutputFolder();
}

void TUIHook::ShowOutputFolder()
{
    m_form->lbOutput->setText("output folder: " + DefaultOutputFolder());
}

void TUIHook::OpenOrTell(const QString& url, const QString& what)
{
    if (!Application->Dialogs().OpenUrl(url))
        Application->MessageBox("No " + what + " could be opened for " + url + ". Please open it yourself.",
            TMsgIcon::Warning, QMessageBox::Ok);
}

void TUIHook::btnConvertClick()
{
    if (m_form->VirtualStringTree1->RootNodeCount() == 0)
        return;
    // A missing encoder is told once, before anything is asked or the window turns busy, rather than once per row.
    Command->CheckEncoder();
    if (const std::optional<std::vector<PVirtualNode>> passOver = AskWhatToConvert())
        StartBatch(*passOver);
}

std::optional<std::vector<PVirtualNode>> TUIHook::AskWhatToConvert()
{
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    const std::vector<PVirtualNode> done = RowsIn(list, Done);
    if (done.empty())
        return std::vector<PVirtualNode>();
    const QString question
        = QString::asprintf("%d of %u files are already converted.", int(done.size()), list->RootNodeCount());
    // With nothing else to convert, a habitual Enter must not make a second copy of every file.
    const bool others = done.size() < list->RootNodeCount();
    const QStringList buttons = others ? QStringList { "Convert the others", "Convert all again", "Cancel" }
                                       : QStringList { "Convert all again", "Cancel" };
    const int cancel = int(buttons.size()) - 1;
    const int answer = Application->Choose(question, TMsgIcon::Question, buttons, others ? 0 : cancel, cancel);
    if (answer < 0 || answer >= cancel)
        return std::nullopt;
    return others && answer == 0 ? done : std::vector<PVirtualNode>();
}

void TUIHook::StartBatch(const std::vector<PVirtualNode>& passOver)
{
    m_passedOver = passOver;
    SetBusyState();
    // The bar and the count start from the new batch, not from where the last one ended; its first rows start
    // once their sources are read.
    m_form->ProgressBar1->SetPosition(0);
    m_awake->Hold(ConvertingText(m_form->VirtualStringTree1->RootNodeCount() - passOver.size()));
    Command->Start(passOver);
    UpdateCountLabel();
}

void TUIHook::btnStopClick()
{
    Command->Stop();
}

void TUIHook::btnSupportClick()
{
    OpenOrTell(SupportPage, "web browser");
}

void TUIHook::lbUpdateClick()
{
    OpenOrTell(HomePage, "web browser");
}

void TUIHook::btnListClick()
{
    m_form->VirtualStringTree1->show();
}

void TUIHook::btnImportClick()
{
    if (BatchRunning())
        return;
    const QString name = Application->Dialogs().OpenFile(m_form, QString(), ListFilter);
    if (name.isEmpty())
        return;
    // An import that fails part way keeps the rows read so far; the label counts them either way.
    const unsigned before = m_form->VirtualStringTree1->RootNodeCount();
    try {
        SaveManager->LoadList(NameBytes(name));
    } catch (...) {
        UpdateCountLabel();
        SayUnknownFormats(before);
        throw;
    }
    UpdateCountLabel();
    SayUnknownFormats(before);
}

// A row whose format the catalogue lacks shows an empty format and would fail only once converted: the user hears
// of it now, with the items' positions in the file.
void TUIHook::SayUnknownFormats(unsigned firstImported)
{
    const int formats = CommandManager ? static_cast<int>(CommandManager->Formats().size()) : 0;
    QStringList items;
    QStringList numbers;
    unsigned position = 0;
    for (PVirtualNode node = m_form->VirtualStringTree1->GetFirst(); node;
         node = m_form->VirtualStringTree1->GetNextSibling(node), ++position) {
        const int format = m_form->VirtualStringTree1->GetNodeData<TItemNodeData>(node)->ItemData.FormatIndex;
        if (position >= firstImported && (format < 0 || format >= formats)) {
            items << QString::number(position - firstImported + 1);
            numbers << QString::number(format);
        }
    }
    if (items.isEmpty())
        return;
    Application->MessageBox((items.size() == 1 ? "Item " : "Items ") + items.join(", ") + " of the list file name "
            + (items.size() == 1 ? "a format" : "formats") + " that the catalogue does not have (" + numbers.join(", ")
            + "); choose one in the row's properties before converting.",
        TMsgIcon::Warning, QMessageBox::Ok);
}

void TUIHook::btnExportClick()
{
    if ((Command && !Command->Idle()) || m_form->VirtualStringTree1->RootNodeCount() == 0)
        return;
    const QString name = Application->Dialogs().SaveFile(m_form, QString(), ListFilter);
    if (name.isEmpty())
        return;
    SaveManager->SaveList(NameBytes(ListFileName(name)));
}

void TUIHook::pmiDeleteClick()
{
    if (BatchRunning())
        return;
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    const std::vector<PVirtualNode> selected = list->SelectedNodes();
    const int index = selected.empty() ? -1 : list->IndexOf(selected.front());
    list->DeleteSelectedNodes();
    // The row that took the first deleted one's place is selected, so Delete can be pressed again and again.
    if (PVirtualNode next = list->GetNodeAtIndex(std::min(index, int(list->RootNodeCount()) - 1)); index >= 0 && next) {
        list->SelectOnly(next);
        list->SetFocusedNode(next);
    }
    UpdateCountLabel();
}

void TUIHook::pmiClearClick()
{
    if (BatchRunning())
        return;
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    const size_t waiting = RowsIn(list, Waiting).size() + RowsIn(list, Converting).size();
    if (waiting > 0
        && Application->MessageBox(QString::asprintf("%d of %u files are not converted yet. Clear the list?",
                                       int(waiting), list->RootNodeCount()),
               TMsgIcon::Question, QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;
    list->Clear();
    UpdateCountLabel();
}

void TUIHook::pmiRemoveFinishedClick()
{
    if (BatchRunning())
        return;
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    TTreeUpdate update(list);
    for (PVirtualNode node : RowsIn(list, Done))
        list->DeleteNode(node);
    UpdateCountLabel();
}

void TUIHook::pmiConvertAgainClick()
{
    if (BatchRunning())
        return;
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    std::vector<PVirtualNode> ended;
    for (PVirtualNode node : list->SelectedNodes())
        if (const int state = Record(list, node).ImageIndex; state == Done || state == Failed)
            ended.push_back(node);
    BackToWaiting(list, ended);
    UpdateCountLabel();
}

void TUIHook::pmiRetryFailedClick()
{
    if (BatchRunning())
        return;
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    const std::vector<PVirtualNode> failed = RowsIn(list, Failed);
    if (failed.empty())
        return;
    Command->CheckEncoder();
    BackToWaiting(list, failed);
    std::vector<PVirtualNode> others;
    for (PVirtualNode node = list->GetFirst(); node; node = list->GetNextSibling(node))
        if (std::find(failed.begin(), failed.end(), node) == failed.end())
            others.push_back(node);
    StartBatch(others);
}

void TUIHook::pmiOpenOutputClick()
{
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    const PVirtualNode node = list->SelectedNode();
    if (!node || Record(list, node).ImageIndex != Done || Record(list, node).ItemData.Output.isEmpty())
        return;
    const QString output = Record(list, node).ItemData.Output;
    if (!QFileInfo::exists(output)) {
        Application->MessageBox(
            "The converted file " + VisibleText(output) + " is no longer there.", TMsgIcon::Warning, QMessageBox::Ok);
        return;
    }
    OpenOrTell(QUrl::fromLocalFile(output).toString(), "program");
}

void TUIHook::pmiOpenFolderClick()
{
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    QStringList folders;
    for (PVirtualNode node : list->SelectedNodes())
        if (Record(list, node).ImageIndex == Done && !folders.contains(OutputFolderOf(node)))
            folders << OutputFolderOf(node);
    OpenFolders(folders);
}

QString TUIHook::OutputFolderOf(PVirtualNode node) const
{
    const TItemData& item = Record(m_form->VirtualStringTree1, node).ItemData;
    const QString folder = !item.Output.isEmpty() ? QFileInfo(item.Output).absolutePath()
        : !item.Path.isEmpty()                    ? item.Path
                                                  : DefaultOutputFolder();
    return IncludeTrailingSlash(QDir::cleanPath(folder));
}

void TUIHook::OpenFolders(const QStringList& folders)
{
    // A few file manager windows are welcome; a batch spread over many folders opens the one that holds them.
    constexpr qsizetype MostWindows = 5;
    if (folders.size() > MostWindows) {
        OpenOrTell(QUrl::fromLocalFile(CommonFolder(folders)).toString(), "file manager");
        return;
    }
    for (const QString& folder : folders)
        OpenOrTell(QUrl::fromLocalFile(folder).toString(), "file manager");
}

void TUIHook::UpdateRowMenu()
{
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    bool selectedEnded = false;
    bool selectedDone = false;
    for (PVirtualNode node : list->SelectedNodes()) {
        const int state = Record(list, node).ImageIndex;
        selectedEnded = selectedEnded || state == Done || state == Failed;
        selectedDone = selectedDone || state == Done;
    }
    const PVirtualNode shown = list->SelectedNode();
    // During a batch only what leaves the rows as they are: opening a finished file or folder, the properties.
    const bool idle = !BatchRunning();
    m_form->pmiDelete->setEnabled(idle && list->SelectedCount() > 0);
    m_form->pmiClear->setEnabled(idle);
    m_form->pmiRemoveFinished->setEnabled(idle && !RowsIn(list, Done).empty());
    m_form->pmiConvertAgain->setEnabled(idle && selectedEnded);
    m_form->pmiRetryFailed->setEnabled(idle && !RowsIn(list, Failed).empty());
    m_form->pmiOpenOutput->setEnabled(
        shown && Record(list, shown).ImageIndex == Done && !Record(list, shown).ItemData.Output.isEmpty());
    m_form->pmiOpenFolder->setEnabled(selectedDone);
    m_form->pmiProperties->setEnabled(list->FocusedNode() || list->SelectedNode());
}

void TUIHook::ListKeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if ((shift & ~Qt::KeypadModifier) != Qt::NoModifier)
        return;
    if (key == Qt::Key_Delete) {
        key = 0;
        pmiDeleteClick();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        key = 0;
        // The selected row is the one the list shows; the job selects its row without focusing it.
        if (PVirtualNode node = m_form->VirtualStringTree1->SelectedNode())
            TreeManager->ShowProperties(node);
    }
}

void TUIHook::pmiPropertiesClick()
{
    // The job selects the row it converts without focusing it: that row is the one the menu was opened on.
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    if (PVirtualNode node = list->FocusedNode() ? list->FocusedNode() : list->SelectedNode())
        TreeManager->ShowProperties(node);
}

// Only looks: the watches keep their ledgers, also while the window shows them.
void TUIHook::pmiWatchedFoldersClick()
{
    TWatchLedgerDlg dialog;
    dialog.exec();
}

void TUIHook::JobProgress(int percent)
{
    ShowWorkDone(percent);
}

void TUIHook::JobFinished(bool stopped)
{
    m_awake->Release();
    SetIdleState();
    UpdateCountLabel();
    if (stopped)
        return;
    // A stop during the last row ends the batch with the message too; the rows it stopped are told apart from the
    // ones that failed by themselves.
    const int failed = Command->FailedRows();
    const int rows = int(m_form->VirtualStringTree1->RootNodeCount());
    const int stoppedRows = StoppedRows();
    QStringList parts;
    if (failed > 0)
        parts << FailedText(failed, rows);
    if (stoppedRows > 0)
        parts << StoppedText(stoppedRows, rows);
    QString text = parts.isEmpty() ? QString("Congratulations, works done!") : parts.join('\n');
    text += NotesLine();
    // Where the batch's files are; when it made none, where they were to go. Gathered now: the box may wait.
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    QStringList made, meant;
    for (PVirtualNode node = list->GetFirst(); node; node = list->GetNextSibling(node)) {
        if (std::find(m_passedOver.begin(), m_passedOver.end(), node) != m_passedOver.end())
            continue;
        QStringList& folders = Record(list, node).ImageIndex == Done ? made : meant;
        if (!folders.contains(OutputFolderOf(node)))
            folders << OutputFolderOf(node);
    }
    const TMsgIcon icon = failed == 0 ? TMsgIcon::Information : TMsgIcon::Warning;
    const QStringList folders = made.isEmpty() ? meant : made;
    // Someone busy in another window learns of the end without looking, and keeps the focus: the window asks for
    // attention and the box opens without taking it (a box that took it would take what they type too).
    if (!m_form->isActiveWindow()) {
        ShowDesktopNotice(Application->Title(), text);
        QApplication::alert(m_form);
    }
    ShowEndMessage(text, icon, folders);
}

void TUIHook::ShowEndMessage(const QString& text, TMsgIcon icon, const QStringList& folders)
{
    if (Application->MessageBox(text, icon, QMessageBox::Ok | QMessageBox::Open) == QMessageBox::Open)
        OpenFolders(folders);
}

int TUIHook::StoppedRows() const
{
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    int stopped = 0;
    for (PVirtualNode node = list->GetFirst(); node; node = list->GetNextSibling(node))
        stopped += Record(list, node).ImageIndex == Failed && Record(list, node).ItemData.Stopped
            && std::find(m_passedOver.begin(), m_passedOver.end(), node) == m_passedOver.end();
    return stopped;
}

// One line for the files of the batch that ended with notes, since a green row alone says all was kept.
QString TUIHook::NotesLine() const
{
    TVirtualStringTree* list = m_form->VirtualStringTree1;
    int files = 0;
    QStringList notes;
    for (PVirtualNode node = list->GetFirst(); node; node = list->GetNextSibling(node)) {
        const TItemNodeData& row = Record(list, node);
        if (row.ImageIndex != Done || row.ItemData.Notes.isEmpty()
            || std::find(m_passedOver.begin(), m_passedOver.end(), node) != m_passedOver.end())
            continue;
        ++files;
        notes << row.ItemData.Notes;
    }
    if (files == 0)
        return {};
    return QString("\n%1 %2 notes: %3 \u2014 see their hints.")
        .arg(files == 1 ? "1 file" : QString::number(files) + " files", files == 1 ? "has" : "have",
            NotesKindsText(notes));
}

void TUIHook::JobTick()
{
    m_form->lbTimer->setText(TimestampText(Command->ElapsedSeconds()));
    ShowWorkDone(Command->WorkDonePercent());
}
