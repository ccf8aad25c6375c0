// A queue a person can steer: finished rows stay finished across a kill, one window per display takes the files of
// every later start, and rows are picked, moved, retried and removed many at once, the kept list following.
#include "app/FilesAtOnce.h"
#include "app/SingleWindow.h"
#include "app/addForm.h"
#include "app/mainForm.h"
#include "app/uihook.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "engine/command.h"
#include "list/ItemData.h"
#include "list/StateCell.h"
#include "list/itemManager.h"
#include "list/treeManager.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Eventually.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/VirtualStringTree.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace
{

using Queue = TMainWindowTest;
using TRows = std::vector<std::pair<QString, int>>; // each row's file name and state, in list order

TRows RowsOf(TVirtualStringTree* list)
{
    TRows rows;
    for (PVirtualNode node = list->GetFirst(); node; node = list->GetNextSibling(node)) {
        const TItemNodeData& data = *list->GetNodeData<TItemNodeData>(node);
        rows.emplace_back(QFileInfo(data.ItemData.FileName).fileName(), data.ImageIndex);
    }
    return rows;
}

// The rows as the kept list file has them.
TRows KeptRows(const QString& path)
{
    QFile file(path);
    const QString content = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    static const QRegularExpression row(
        "<filename>([^<]*)</filename>.*?<state>(\\d)</state>", QRegularExpression::DotMatchesEverythingOption);
    TRows rows;
    for (const QRegularExpressionMatch& match : row.globalMatch(content))
        rows.emplace_back(QFileInfo(match.captured(1)).fileName(), match.captured(2).toInt());
    return rows;
}

QStringList Converted(const TProgramFolder& folder)
{
    return QDir(folder.ConvertFolder()).entryList(QDir::Files, QDir::Name);
}

QPoint At(TVirtualStringTree* list, int row)
{
    return list->CellRect(list->GetNodeAtIndex(row), 0).center();
}

void ClickRow(TVirtualStringTree* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, At(list, row));
}

} // namespace

// Killed in the middle of a batch, the window comes back with its finished rows; Convert then asks, and its
// default converts only the others, so no finished file gets a second copy.
TEST_F(Queue, AfterAKillConvertAsksAndMakesNoSecondCopyOfAFinishedFile)
{
    const QString kept = m_folder.Path() + "/state/list.qfl";
    const QStringList clips
        = { m_folder.Clip("clip0.avi"), m_folder.Clip("clip1.avi"), m_folder.Clip("clip2.avi", "sleep 4000\n") };
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(REELHAND_PROGRAMDRIVER, QStringList { "--keep", kept, m_folder.Path() } + clips);
    const TRows killedWhile = { { "clip0.avi", Done }, { "clip1.avi", Done }, { "clip2.avi", Converting } };
    ASSERT_TRUE(WaitUntil([&] { return KeptRows(kept) == killedWhile; }, 30000));
    program.kill();
    program.waitForFinished();

    m_window->Controller().KeepList(kept);
    TVirtualStringTree* list = m_window->VirtualStringTree1;
    ASSERT_EQ(RowsOf(list), (TRows { { "clip0.avi", Done }, { "clip1.avi", Done }, { "clip2.avi", Waiting } }));
    // A finished row brought back still says what it made.
    const TItemNodeData& first = *list->GetNodeData<TItemNodeData>(list->GetFirst());
    ASSERT_EQ(first.ItemData.OutputSize, QFileInfo(m_folder.ConvertFolder() + "/clip0.mp4").size());
    EXPECT_TRUE(StateCellText(first, list->fontMetrics(), 500).startsWith(SizeText(*first.ItemData.OutputSize)));
    Click(m_window->btnConvert);
    WaitUntilIdle();
    ASSERT_FALSE(m_dialogs.Messages.isEmpty());
    EXPECT_EQ(m_dialogs.Messages[0].Text, "2 of 3 files are already converted.");
    EXPECT_EQ(m_dialogs.Messages[0].Choices, QStringList({ "Convert the others", "Convert all again", "Cancel" }));
    EXPECT_EQ(RowsOf(list), (TRows { { "clip0.avi", Done }, { "clip1.avi", Done }, { "clip2.avi", Done } }));
    EXPECT_EQ(Converted(m_folder), QStringList({ "clip0.mp4", "clip1.mp4", "clip2.mp4" }));

    // A finished row brought back still knows its file.
    list->SelectOnly(list->GetFirst());
    m_window->pmiOpenOutput->trigger();
    EXPECT_EQ(
        m_dialogs.OpenedUrls, QStringList { QUrl::fromLocalFile(m_folder.ConvertFolder() + "/clip0.mp4").toString() });
    // Everything is converted: the default is to convert nothing again.
    const int asked = int(m_dialogs.Messages.size());
    Click(m_window->btnConvert);
    ASSERT_EQ(m_dialogs.Messages.size(), asked + 1);
    EXPECT_EQ(m_dialogs.Messages.last().Choices, QStringList({ "Convert all again", "Cancel" }));
    EXPECT_FALSE(Busy());
}

// A second start hands its files and --jobs to the window of its display and ends with 0; the socket a crashed
// window left behind does not stand in the way of the next window.
TEST_F(Queue, ASecondStartHandsItsFilesToTheOneWindowOfTheDisplay)
{
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    const QString socket = runtime.filePath("reelhand-offscreen.socket");
    QProcess crashed;
    crashed.setProcessEnvironment(environment);
    crashed.start(REELHAND_EXECUTABLE, QStringList());
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(socket); }, 30000));
    crashed.kill();
    crashed.waitForFinished();

    TSingleWindow single(runtime.path(), "offscreen");
    ASSERT_EQ(single.Claim({}), TSingleWindow::TClaim::Window);
    single.Serve([this](const TWindowOptions& options) { m_window->Controller().TakeHandOver(options); });
    const QString clip = m_folder.Clip("handed.avi");
    WhenModal([](QDialog* dialog) { static_cast<TaddDlg*>(dialog)->btnOk->Click(); });
    const int jobs = FilesAtOnce::Limit();
    QProcess second;
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(REELHAND_EXECUTABLE, { "--jobs", QString::number(jobs), clip });
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EVENTUALLY(m_window->VirtualStringTree1->RootNodeCount() == 1u);
    EXPECT_EQ(RowsOf(m_window->VirtualStringTree1), (TRows { { "handed.avi", Waiting } }));
    EXPECT_EQ(Command->FilesAtOnce(), jobs);
    FilesAtOnce::Store(1);

    // A runtime folder others may write into is not the user's: the socket goes into a folder of the program's own.
    const QByteArray given = qgetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7777)));
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString own = TSingleWindow::RuntimeFolder();
    qputenv("XDG_RUNTIME_DIR", given);
    EXPECT_NE(own, runtime.path());
    EXPECT_EQ(QFileInfo(own).permissions() & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());
}

// What the user does to the rows [Done, Failed, Waiting, Done, Failed], and the rows afterwards, in the window as
// in its kept list.
TEST_F(Queue, RowsArePickedMovedRetriedAndRemovedManyAtOnce)
{
    struct TListOp {
        const char* Name;
        std::function<void(TmainDlg&, TVirtualStringTree*)> Act;
        TRows After;
    };
    const QString kept = m_folder.Path() + "/kept.qfl";
    m_window->Controller().KeepList(kept);
    const QStringList files = AddClips({ "", "", "", "", "" });
    const int states[] = { Done, Failed, Waiting, Done, Failed };
    const QString c[] = { "clip0.avi", "clip1.avi", "clip2.avi", "clip3.avi", "clip4.avi" };
    const TListOp ops[] = {
        { "Shift picks a range, Delete removes it",
            [](TmainDlg&, TVirtualStringTree* list) {
                ClickRow(list, 1);
                ClickRow(list, 3, Qt::ShiftModifier);
                QTest::keyClick(list, Qt::Key_Delete);
            },
            { { c[0], Done }, { c[4], Failed } } },
        { "Ctrl adds rows, Alt+Up moves each past the row above it",
            [](TmainDlg&, TVirtualStringTree* list) {
                ClickRow(list, 2);
                ClickRow(list, 4, Qt::ControlModifier);
                QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
            },
            { { c[0], Done }, { c[2], Waiting }, { c[1], Failed }, { c[4], Failed }, { c[3], Done } } },
        { "a dragged row goes where it is dropped",
            [](TmainDlg&, TVirtualStringTree* list) {
                QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, At(list, 0));
                const QPoint between2And3(At(list, 2).x(), list->CellRect(list->GetNodeAtIndex(3), 0).top());
                QTest::mouseMove(list->viewport(), between2And3);
                QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, between2And3);
            },
            { { c[1], Failed }, { c[2], Waiting }, { c[0], Done }, { c[3], Done }, { c[4], Failed } } },
        { "the picked rows are converted again",
            [](TmainDlg& window, TVirtualStringTree* list) {
                ClickRow(list, 0);
                ClickRow(list, 1, Qt::ControlModifier);
                window.pmiConvertAgain->trigger();
            },
            { { c[0], Waiting }, { c[1], Waiting }, { c[2], Waiting }, { c[3], Done }, { c[4], Failed } } },
        { "the failed rows are retried, the others left as they are",
            [this](TmainDlg& window, TVirtualStringTree*) {
                window.pmiRetryFailed->trigger();
                WaitUntilIdle();
                EXPECT_EQ(Converted(m_folder), QStringList({ "clip1.mp4", "clip4.mp4" }));
            },
            { { c[0], Done }, { c[1], Done }, { c[2], Waiting }, { c[3], Done }, { c[4], Done } } },
        { "the finished rows are removed",
            [](TmainDlg& window, TVirtualStringTree*) { window.pmiRemoveFinished->trigger(); },
            { { c[1], Failed }, { c[2], Waiting }, { c[4], Failed } } },
        { "Clear asks while a row waits, and No keeps the rows",
            [this](TmainDlg& window, TVirtualStringTree*) {
                m_dialogs.ButtonAnswers = { QMessageBox::No };
                window.pmiClear->trigger();
                EXPECT_EQ(m_dialogs.Messages.last().Text, "1 of 5 files are not converted yet. Clear the list?");
            },
            { { c[0], Done }, { c[1], Failed }, { c[2], Waiting }, { c[3], Done }, { c[4], Failed } } },
    };
    TVirtualStringTree* list = m_window->VirtualStringTree1;
    for (const TListOp& op : ops) {
        SCOPED_TRACE(op.Name);
        list->Clear();
        for (const QString& made : Converted(m_folder))
            QFile::remove(m_folder.ConvertFolder() + "/" + made);
        for (int i = 0; i < files.size(); ++i)
            ItemManager->StageItem(files[i].toStdString(), 0, "");
        std::vector<std::string> names;
        for (const QString& file : files)
            names.push_back(file.toStdString());
        TreeManager->AddFiles(names);
        for (int i = 0; i < files.size(); ++i) {
            list->GetNodeData<TItemNodeData>(list->GetNodeAtIndex(i))->ImageIndex = states[i];
            list->RepaintNode(list->GetNodeAtIndex(i));
        }
        op.Act(*m_window, list);
        EXPECT_EQ(RowsOf(list), op.After);
        EXPECT_TRUE(WaitUntil([&] { return KeptRows(kept) == op.After; }, 5000));
    }
}
