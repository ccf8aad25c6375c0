#include "app/FilesAtOnce.h"
#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/FSProgressBar.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "engine/command.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "tests/support/EncoderLog.h"
#include "toolkit/VirtualStringTree.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

namespace
{

constexpr TColor Blue = RGB(21, 66, 139);
constexpr TColor Grey = RGB(141, 141, 141);

class ConvertFlow : public TMainWindowTest
{
protected:
    // Records where the bar is each time a row ends, and every count the rows' changes show.
    void RecordProgress()
    {
        auto shown = Command->OnProgress;
        Command->OnProgress = [this, shown](TDosCommand* sender, int percent) {
            shown(sender, percent);
            m_positions.push_back(m_window->ProgressBar1->Position());
        };
        auto record = [this] {
            if (m_counts.isEmpty() || m_counts.last() != m_window->lbCount->text())
                m_counts.push_back(m_window->lbCount->text());
        };
        QObject::connect(m_window->VirtualStringTree1, &TVirtualStringTree::RowsChanged, m_window.get(), record);
        QObject::connect(m_window->VirtualStringTree1, &TVirtualStringTree::RowRepainted, m_window.get(), record);
    }

    bool CaptionIs(QLabel* caption, TColor color) { return CountPixels(Rendered(caption), color) > 0; }

    std::vector<int> m_positions;
    QStringList m_counts;
};

} // namespace

TEST_F(ConvertFlow, ConvertWithAnEmptyListLeavesEveryButtonAsItWas)
{
    Click(m_window->btnConvert);
    EXPECT_TRUE(m_window->btnAdd->Enabled());
    EXPECT_TRUE(m_window->btnConvert->Enabled());
    EXPECT_FALSE(m_window->btnStop->Enabled());
    EXPECT_TRUE(m_dialogs.Messages.isEmpty());
}

TEST_F(ConvertFlow, IdleWindowShowsBlueCaptionsAndAGreyStop)
{
    EXPECT_EQ(m_window->windowTitle(), "Quor Reelhand");
    EXPECT_TRUE(CaptionIs(m_window->lbAdd, Blue));
    EXPECT_TRUE(CaptionIs(m_window->lbConvert, Blue));
    EXPECT_TRUE(CaptionIs(m_window->lbStop, Grey));
    EXPECT_FALSE(CaptionIs(m_window->lbStop, Blue));
}

TEST_F(ConvertFlow, ABatchOfThreeRowsShowsProgressCountAndTheFinishedMessage)
{
    AddClips({ "sleep 100", "sleep 100", "sleep 100" });
    RecordProgress();
    Click(m_window->btnConvert);
    EXPECT_FALSE(m_window->btnAdd->Enabled());
    EXPECT_FALSE(m_window->btnConvert->Enabled());
    EXPECT_TRUE(m_window->btnStop->Enabled());
    EXPECT_TRUE(CaptionIs(m_window->lbAdd, Grey));
    EXPECT_TRUE(CaptionIs(m_window->lbConvert, Grey));
    EXPECT_TRUE(CaptionIs(m_window->lbStop, Blue));

    WaitUntilIdle();
    EXPECT_EQ(m_positions, std::vector<int>({ 33, 66, 100 }));
    // The count goes by Done rows, and while the batch runs it says how much of the work is done.
    EXPECT_TRUE(m_counts.contains("3 files, finished 1 of 3, 33 % done")) << m_counts.join('|').toStdString();
    EXPECT_TRUE(m_counts.contains("3 files, finished 2 of 3, 66 % done")) << m_counts.join('|').toStdString();
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 3 of 3");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(RowState(*m_window, i), int(Done));
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Text, "Congratulations, works done!");
    EXPECT_EQ(m_dialogs.Messages[0].Caption, "Quor Reelhand");
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Information);
    EXPECT_TRUE(CaptionIs(m_window->lbAdd, Blue));
    EXPECT_TRUE(CaptionIs(m_window->lbStop, Grey));
    EXPECT_EQ(QDir(m_folder.ConvertFolder()).entryList(QDir::Files).size(), 3);
    EXPECT_EQ(m_window->ProgressBar1->Position(), 100);
}

TEST_F(ConvertFlow, FourRowsMoveTheBarInQuarters)
{
    AddClips({ "", "", "", "" });
    RecordProgress();
    Click(m_window->btnConvert);
    WaitUntilIdle();
    EXPECT_EQ(m_positions, std::vector<int>({ 25, 50, 75, 100 }));
    EXPECT_EQ(m_window->lbCount->text(), "4 files, finished 4 of 4");
}

TEST_F(ConvertFlow, CancellingAnAddAfterABatchKeepsCountingTheDoneRows)
{
    AddClips({ "", "", "" });
    Click(m_window->btnConvert);
    WaitUntilIdle();
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 3 of 3");
    m_dialogs.FileAnswers.append(QStringList { m_folder.Clip("more.avi") });
    WhenModal([](QDialog* shown) { Click(static_cast<TaddDlg*>(shown)->btnCancel); });
    Click(m_window->btnAdd);
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 3 of 3");
}

TEST_F(ConvertFlow, TheTimerLabelCountsTheBatchsSeconds)
{
    AddClips({ "sleep 1500" });
    Click(m_window->btnConvert);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->lbTimer->text() == "timestamp: 00:00:01"; }, 5000));
    WaitUntilIdle();
    // The label keeps the last batch's time.
    EXPECT_EQ(m_window->lbTimer->text(), "timestamp: 00:00:01");
}

TEST_F(ConvertFlow, StopBeforeTheLastRowEndsWithoutAMessage)
{
    AddClips({ "", "wait", "" });
    ConvertUntilRow(1);
    Click(m_window->btnStop);
    WaitUntilIdle();
    EXPECT_EQ(RowState(*m_window, 0), int(Done));
    EXPECT_EQ(RowState(*m_window, 1), int(Failed));
    EXPECT_EQ(RowState(*m_window, 2), int(Waiting));
    EXPECT_TRUE(m_dialogs.Messages.isEmpty());
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 1 of 3");
    EXPECT_EQ(m_window->ProgressBar1->Position(), 66);
}

// The stopped row did not fail by itself: the message says it was left unconverted, not that it could not be.
TEST_F(ConvertFlow, StopDuringTheLastRowTellsOfTheStoppedRow)
{
    AddClips({ "", "wait" });
    ConvertUntilRow(1);
    Click(m_window->btnStop);
    WaitUntilIdle();
    EXPECT_EQ(RowState(*m_window, 1), int(Failed));
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Text, "Stopped by you: 1 of 2 files were left unconverted.");
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Information);
}

TEST_F(ConvertFlow, RightClickOnTheStopCaptionStopsWhileAddAndConvertCaptionsDoNothing)
{
    AddClips({ "wait", "" });
    ConvertUntilRow(0);
    Click(m_window->lbAdd);
    Click(m_window->lbConvert);
    EXPECT_EQ(m_dialogs.LastFilters.size(), 1); // only the add that made the rows
    EXPECT_EQ(RowState(*m_window, 0), int(Converting));
    Click(m_window->lbStop, Qt::MiddleButton);
    WaitUntilIdle();
    EXPECT_EQ(RowState(*m_window, 0), int(Failed));
    EXPECT_EQ(RowState(*m_window, 1), int(Waiting));

    ConvertUntilRow(0);
    Click(m_window->lbStop, Qt::RightButton);
    WaitUntilIdle();
    EXPECT_EQ(RowState(*m_window, 0), int(Failed));
}

TEST_F(ConvertFlow, FailedRowsEndTheBatchWithAWarningSayingHowManyAndWhereToSeeWhy)
{
    AddClips({ "exit 1", "", "exit 2", "" });
    Click(m_window->btnConvert);
    WaitUntilIdle();
    EXPECT_EQ(RowState(*m_window, 0), int(Failed));
    EXPECT_EQ(RowState(*m_window, 1), int(Done));
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(
        m_dialogs.Messages[0].Text, "2 of 4 files could not be converted. Point at a row marked as failed to see why.");
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Warning);
    EXPECT_EQ(m_dialogs.Messages[0].Caption, "Quor Reelhand");
    EXPECT_EQ(m_window->lbCount->text(), "4 files, finished 2 of 4");
}

TEST_F(ConvertFlow, AMissingOrUnrunnableEncoderIsToldOnceAndNoRowStarts)
{
    AddClips({ "", "" });
    const QString encoder = m_folder.Path() + "/bin/ffmpeg";
    const std::function<void()> breakings[] = {
        [&] { QFile::remove(encoder); },
        [&] {
            QFile plain(encoder);
            plain.open(QIODevice::WriteOnly);
            plain.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        },
        [&] {
            QFile::remove(encoder);
            QDir().mkpath(encoder);
        },
    };
    for (const auto& breakIt : breakings) {
        QFile::remove(encoder);
        QDir().rmdir(encoder);
        breakIt();
        m_dialogs.Messages.clear();
        Click(m_window->btnConvert);
        ASSERT_EQ(m_dialogs.Messages.size(), 1);
        EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Stop);
        EXPECT_TRUE(m_dialogs.Messages[0].Text.startsWith("The encoder " + encoder + " "));
        EXPECT_TRUE(m_dialogs.Messages[0].Text.contains("Install ffmpeg and link it there"));
        EXPECT_FALSE(Busy());
        EXPECT_TRUE(m_window->btnConvert->Enabled());
        EXPECT_EQ(RowState(*m_window, 0), int(Waiting));
        EXPECT_EQ(RowState(*m_window, 1), int(Waiting));
    }
}

TEST_F(ConvertFlow, TheRowBeingConvertedIsScrolledIntoView)
{
    QList<QByteArray> scripts(30);
    scripts[25] = "wait";
    AddClips(scripts);
    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    ASSERT_FALSE(tree->viewport()->rect().contains(tree->CellRect(tree->GetNodeAtIndex(25), -1)));
    ConvertUntilRow(25);
    EXPECT_TRUE(tree->viewport()->rect().contains(tree->CellRect(tree->GetNodeAtIndex(25), -1)));
    Click(m_window->btnStop);
    WaitUntilIdle();
}

// Two files at once, chosen with the keyboard: two encoders run together, the bar goes by finished files (these
// encoders say nothing of how far they are), every row ends right, and the next batch starts its bar from nothing.
TEST_F(ConvertFlow, TwoFilesAtOnceRunTwoEncodersTogetherAndEveryRowEndsRight)
{
    if (FilesAtOnce::Limit() < 2)
        GTEST_SKIP() << "one processor";
    m_window->cbFilesAtOnce->setFocus();
    QTest::keyClick(m_window->cbFilesAtOnce, Qt::Key_Down);
    EXPECT_EQ(FilesAtOnce::Stored(), 2);
    AddClips({ "sleep 400", "sleep 400", "sleep 400", "sleep 400" });
    RecordProgress();

    Click(m_window->btnConvert);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return RowState(*m_window, 0) == Converting && RowState(*m_window, 1) == Converting; }, 10000));
    EXPECT_EQ(RowState(*m_window, 2), int(Waiting));
    WaitUntilIdle();

    const std::vector<TEncoderRun> runs = EncoderRuns(m_folder.Path() + "/bin/encoder.log");
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_LT(runs[1].StartNs, runs[0].EndNs) << "the second encoder waited for the first";
    EXPECT_EQ(m_positions, std::vector<int>({ 25, 50, 75, 100 }));
    EXPECT_EQ(m_window->lbCount->text(), "4 files, finished 4 of 4");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(RowState(*m_window, i), int(Done)) << i;
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Text, "Congratulations, works done!");

    m_dialogs.ChoiceAnswers = { 0 }; // every row is converted already: all again
    Click(m_window->btnConvert);
    EXPECT_EQ(m_window->ProgressBar1->Position(), 0);
    EXPECT_TRUE(m_window->lbCount->text().endsWith(", 0 % done")) << m_window->lbCount->text().toStdString();
    WaitUntilIdle();
    FilesAtOnce::Store(1);
}

// A file being converted counts by how far its encoder is, so a long film moves the bar before it ends; a cleared
// list leaves no bar behind.
TEST_F(ConvertFlow, ARunningFileCountsByItsShareAndAClearedListEmptiesTheBar)
{
    AddClips({ "say frame=5 time=00:00:00.50\nwait", "" });
    ConvertUntilRow(0);
    // Half of the first file's second is done: a quarter of the work, give or take the clip's last frame.
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->ProgressBar1->Position() > 0; }, 5000));
    const int position = m_window->ProgressBar1->Position();
    EXPECT_GE(position, 20);
    EXPECT_LE(position, 25);
    EXPECT_EQ(m_window->lbCount->text(), QString("2 files, finished 0 of 2, %1 % done").arg(position));
    Click(m_window->btnStop);
    WaitUntilIdle();
    EXPECT_EQ(m_window->ProgressBar1->Position(), 50);
    m_dialogs.ButtonAnswers = { QMessageBox::Yes }; // a row still waits: clear it all the same
    m_window->pmiClear->trigger();
    EXPECT_EQ(m_window->ProgressBar1->Position(), 0);
}
