// Stopping a batch, and the job or the list going away while the encoder runs.
#include "tests/engine/CommandFixture.h"

namespace
{

class CommandStopTest : public CommandFixture
{
protected:
    // A batch of two rows whose first encoder opens its output a.mp4 and runs until killed; returns that
    // encoder's pid once it runs.
    int StartOnEndlessRow()
    {
        MakeJob();
        AddRow(Clip("a.avi", "begin\nwait\n"));
        AddRow(Clip("b.avi"));
        m_job->Start();
        return WaitForRuns(1) ? Runs()[0].Pid : 0;
    }

    // Gives late notifications, if any were still coming, the chance to arrive.
    static void DrainEvents()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }
};

TEST_F(CommandStopTest, StopDuringMiddleRowFailsItAndLeavesTheRestWaiting)
{
    MakeJob();
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi", "begin\nwait\n"));
    AddRow(Clip("c.avi"));
    // Earlier work under the name the stopped row would have taken first.
    QFile earlier(ConvertDir() + "/b.mp4");
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    m_job->Start();
    ASSERT_TRUE(WaitForRuns(2));
    ASSERT_TRUE(WaitUntil([&] { return Writing(ConvertDir()); }));
    int pid = Runs()[1].Pid;

    m_job->Stop();

    // Idle at once, so the user may edit the list; the current row stays held until OnFinished.
    EXPECT_TRUE(m_job->Idle());
    EXPECT_TRUE(m_job->Running());
    EXPECT_TRUE(Finished.empty());
    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(Finished, (std::vector<bool> { true }));
    EXPECT_EQ(Progress, (std::vector<int> { 33, 66 }));
    EXPECT_EQ(States(), (std::vector<int> { Done, Failed, Waiting }));
    EXPECT_EQ(Reasons(), QStringList({ "", "Stopped by you.", "" }));
    // The stopped row failed because the user asked: it is not counted among the rows that failed by themselves.
    EXPECT_TRUE(Row(1)->ItemData.Stopped);
    EXPECT_EQ(m_job->FailedRows(), 0);
    // The stopped run's own output is gone; the file that was there before is untouched.
    EXPECT_EQ(QDir(ConvertDir()).entryList(QDir::Files), QStringList({ "a.mp4", "b.mp4" }));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier");
    EXPECT_EQ(Row(1)->ItemData.Busy, 0);
    EXPECT_EQ(Row(1)->ItemData.BusyPos, 0);
    EXPECT_FALSE(m_job->Running());
    EXPECT_EQ(m_job->CurrentIndex(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(pid); }));
    EXPECT_EQ(Runs().size(), 2u);
}

TEST_F(CommandStopTest, StopDuringLastRowEndsTheBatchAsFinished)
{
    MakeJob();
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi", "wait\n"));
    m_job->Start();
    ASSERT_TRUE(WaitForRuns(2));

    m_job->Stop();

    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    EXPECT_EQ(Progress, (std::vector<int> { 50, 100 }));
    EXPECT_EQ(State(1), Failed);
}

TEST_F(CommandStopTest, StartWhileStoppingIsRefused)
{
    MakeJob();
    AddRow(Clip("a.avi", "wait\n"));
    AddRow(Clip("b.avi"));
    m_job->Start();
    ASSERT_TRUE(WaitForRuns(1));

    m_job->Stop();
    m_job->Start();
    m_job->Stop();

    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(Finished, (std::vector<bool> { true }));
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(State(1), Waiting);
}

TEST_F(CommandStopTest, StopOutsideABatchDoesNothing)
{
    MakeJob();
    AddRow(Clip("a.avi"));

    m_job->Stop();

    EXPECT_TRUE(m_job->Idle());
    EXPECT_TRUE(Finished.empty());
    RunBatch();
    EXPECT_EQ(State(0), Done);
}

TEST_F(CommandStopTest, DestroyingTheJobMidBatchKillsTheEncoderSilently)
{
    int pid = StartOnEndlessRow();
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(WaitUntil([&] { return Writing(ConvertDir()); }));

    m_job.reset();

    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(pid); }));
    EXPECT_TRUE(QDir(ConvertDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    DrainEvents();
    EXPECT_TRUE(Finished.empty());
    EXPECT_TRUE(Progress.empty());
    EXPECT_EQ(States(), (std::vector<int> { Converting, Waiting }));
    EXPECT_EQ(Runs().size(), 1u);
}

TEST_F(CommandStopTest, ListGoneMidBatchStopsTheEncoderAndTouchesNoRow)
{
    int pid = StartOnEndlessRow();
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(WaitUntil([&] { return Writing(ConvertDir()); }));

    m_list.reset();

    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(pid); }));
    EXPECT_TRUE(WaitUntil([&] {
        return QDir(ConvertDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty();
    }));
    EXPECT_TRUE(m_job->Idle());
    EXPECT_FALSE(m_job->Running());
    EXPECT_EQ(m_job->CurrentNode(), nullptr);
    DrainEvents();
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_TRUE(Finished.empty());
}

TEST_F(CommandStopTest, EachSecondMovesTheBlockAndItWrapsAfter74)
{
    MakeJob();
    AddRow(Clip("long.avi", "wait\n"));
    m_job->Start();
    ASSERT_TRUE(WaitForRuns(1));
    Row(0)->ItemData.BusyPos = 72;

    ASSERT_TRUE(WaitUntil([&] { return Ticks >= 3; }, 6000));

    EXPECT_EQ(BusyPosAtTick, (std::vector<int> { 73, 74, 0 }));
    EXPECT_EQ(m_job->ElapsedSeconds(), 3);
    EXPECT_NE(TickSender, nullptr);
    m_job->Stop();
    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(m_job->ElapsedSeconds(), 0);
    EXPECT_EQ(Row(0)->ItemData.BusyPos, 0);
}

} // namespace
