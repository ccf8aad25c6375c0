// A batch from the first row to the last: row states, progress, the end of the batch.
#include "engine/DosCommand.h"
#include "tests/engine/CommandFixture.h"
#include "tests/support/EmptyPath.h"
#include "tests/support/TestDialogs.h"

namespace
{

class CommandBatchTest : public CommandFixture
{
};

TEST_F(CommandBatchTest, ThreeGoodRowsEndDoneWithProgressInThirds)
{
    MakeJob();
    for (const char* name : { "a.avi", "b.avi", "c.avi" })
        AddRow(Clip(name));
    EXPECT_TRUE(m_job->Idle());

    RunBatch();

    EXPECT_EQ(Progress, (std::vector<int> { 33, 66, 100 }));
    // Each OnProgress comes while its row still shows Converting: the state changes right after.
    EXPECT_EQ(StateAtProgress, (std::vector<int> { Converting, Converting, Converting }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(State(i), Done) << "row " << i;
        EXPECT_EQ(Row(i)->ItemData.Busy, 0) << "row " << i;
        EXPECT_EQ(Row(i)->ItemData.BusyPos, 0) << "row " << i;
    }
    EXPECT_TRUE(m_job->Idle());
    EXPECT_FALSE(m_job->Running());
    EXPECT_TRUE(IdleAtFinish);
    EXPECT_FALSE(RunningAtFinish);
    EXPECT_EQ(m_job->CurrentIndex(), 0);
    EXPECT_EQ(m_job->ElapsedSeconds(), 0);
    EXPECT_EQ(m_job->CurrentNode(), nullptr);
    EXPECT_NE(ProgressSender, nullptr);
    for (const char* name : { "a.mp4", "b.mp4", "c.mp4" })
        EXPECT_TRUE(QFile::exists(ConvertDir() + "/" + name)) << name;
}

TEST_F(CommandBatchTest, RowsRunOneAfterTheOtherInListOrder)
{
    MakeJob();
    AddRow(Clip("first.avi", "sleep 150\n"));
    AddRow(Clip("second.avi"));
    AddRow(Clip("third.avi", "sleep 50\n"));

    RunBatch();

    std::vector<TEncoderRun> runs = Runs();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_TRUE(runs[0].Input().endsWith("first.avi"));
    EXPECT_TRUE(runs[1].Input().endsWith("second.avi"));
    EXPECT_TRUE(runs[2].Input().endsWith("third.avi"));
    for (size_t i = 1; i < runs.size(); ++i)
        EXPECT_GE(runs[i].StartNs, runs[i - 1].EndNs) << "run " << i << " began before the one before it ended";
}

TEST_F(CommandBatchTest, FailedRowsKeepTheirReasonLeaveNoOutputAndTheBatchGoesOn)
{
    MakeJob();
    AddRow(Clip("good.avi"));
    AddRow(Clip("bad.avi",
        "say Input #0, avi, from 'bad.avi':\nsay bad.avi: Invalid data found when processing input\nexit 3\n"));
    AddRow(ClipsDir() + "/missing.avi");
    AddRow(Clip("mute.avi", "exit 5\n"));
    AddRow(Clip("last.avi"));

    RunBatch();

    EXPECT_EQ(States(), (std::vector<int> { Done, Failed, Failed, Failed, Done }));
    EXPECT_EQ(Reasons(),
        QStringList({ "", "The file is damaged or is not a video: bad.avi: Invalid data found when processing input",
            "The source file does not exist.",
            "The encoder ended with exit code 5.", "" }));
    EXPECT_EQ(m_job->FailedRows(), 3);
    EXPECT_EQ(Progress, (std::vector<int> { 20, 40, 60, 80, 100 }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    // A missing source is not handed to the encoder; the outputs of the failed runs are gone.
    EXPECT_EQ(Runs().size(), 4u);
    EXPECT_EQ(QDir(ConvertDir()).entryList(QDir::Files), QStringList({ "good.mp4", "last.mp4" }));
}

TEST_F(CommandBatchTest, RowOutsideTheCatalogueFailsWithoutStartingTheEncoder)
{
    MakeJob();
    AddRow(Clip("one.avi"));
    AddRow(Clip("unknown.avi"), 7);
    AddRow(Clip("none.avi"), -1);
    AddRow(Clip("two.avi"));

    RunBatch();

    EXPECT_EQ(States(), (std::vector<int> { Done, Failed, Failed, Done }));
    EXPECT_EQ(Reasons(),
        QStringList({ "", "The format is not in the catalogue.", "The format is not in the catalogue.", "" }));
    EXPECT_EQ(Progress, (std::vector<int> { 25, 50, 75, 100 }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    std::vector<TEncoderRun> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].Input().endsWith("one.avi"));
    EXPECT_TRUE(runs[1].Input().endsWith("two.avi"));
}

TEST_F(CommandBatchTest, ListOfOnlyUnknownFormatsFinishesAtOnce)
{
    MakeJob();
    for (int i = 0; i < 500; ++i)
        AddRow(Clip("x.avi"), 99);

    m_job->Start();

    // No encoder runs, so the whole batch ends inside Start without a deep call chain.
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    EXPECT_EQ(Progress.size(), 500u);
    EXPECT_EQ(Progress.back(), 100);
    EXPECT_EQ(State(499), Failed);
    EXPECT_TRUE(m_job->Idle());
    EXPECT_FALSE(m_job->Running());
    EXPECT_TRUE(Runs().empty());
}

TEST_F(CommandBatchTest, WithoutCatalogueEveryRowFails)
{
    MakeJob();
    CommandManager = nullptr;
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi"));

    m_job->Start();

    EXPECT_EQ(States(), (std::vector<int> { Failed, Failed }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    EXPECT_TRUE(Runs().empty());
}

TEST_F(CommandBatchTest, RowWhoseOutputNameCannotBeMadeFailsAndTheBatchGoesOn)
{
    TTestDialogs dialogs;
    MakeJob();
    // The output folder holds a 0 byte, before which the system sees a file that is there.
    QFile(ConvertDir() + "/a.mp4").open(QIODevice::WriteOnly);
    AddRow(Clip("a.avi"), 0, ConvertDir() + "/a.mp4" + QChar(0));
    AddRow(Clip("c.avi"));

    RunBatch();

    EXPECT_EQ(States(), (std::vector<int> { Failed, Done }));
    EXPECT_TRUE(Row(0)->ItemData.Reason.endsWith("The name holds a 0 byte")) << Row(0)->ItemData.Reason.toStdString();
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    EXPECT_EQ(Runs().size(), 1u);
}

TEST_F(CommandBatchTest, SecondBatchConvertsFinishedRowsAgainUnderFreshNames)
{
    MakeJob();
    AddRow(Clip("again.avi"));
    AddRow(Clip("retry.avi", "exit 4\n"));
    RunBatch();
    ASSERT_EQ(States(), (std::vector<int> { Done, Failed }));
    ASSERT_EQ(Reasons(), QStringList({ "", "The encoder ended with exit code 4." }));

    Clip("retry.avi");
    RunBatch();

    EXPECT_EQ(States(), (std::vector<int> { Done, Done }));
    EXPECT_EQ(Reasons(), QStringList({ "", "" }));
    EXPECT_EQ(Finished, (std::vector<bool> { false, false }));
    // The failed run left nothing, so the retry takes the plain name; the done row's new output a fresh one.
    EXPECT_EQ(QDir(ConvertDir()).entryList(QDir::Files), QStringList({ "again.mp4", "again_2.mp4", "retry.mp4" }));
}

TEST_F(CommandBatchTest, StartIsRefusedWhileABatchRuns)
{
    MakeJob();
    AddRow(Clip("slow.avi", "sleep 300\n"));
    AddRow(Clip("next.avi"));
    m_job->Start();
    ASSERT_FALSE(m_job->Idle());
    ASSERT_TRUE(WaitForRuns(1));

    m_job->Start();

    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(Runs().size(), 2u);
    EXPECT_EQ(Progress, (std::vector<int> { 50, 100 }));
}

TEST_F(CommandBatchTest, EmptyListDoesNotStart)
{
    MakeJob();

    m_job->Start();

    EXPECT_TRUE(m_job->Idle());
    EXPECT_FALSE(m_job->Running());
    EXPECT_TRUE(Finished.empty());
}

TEST_F(CommandBatchTest, ConvertingRowIsSelectedAndMarkedBusy)
{
    MakeJob();
    m_list->show();
    ASSERT_TRUE(StartWithEndlessMiddleRow());

    EXPECT_EQ(m_job->CurrentIndex(), 1);
    EXPECT_EQ(States(), (std::vector<int> { Done, Converting, Waiting }));
    EXPECT_EQ(Row(0)->ItemData.Busy, 0);
    EXPECT_EQ(Row(1)->ItemData.Busy, 1);
    EXPECT_TRUE(m_list->Selected(m_job->CurrentNode()));
    EXPECT_FALSE(m_list->Selected(m_list->GetFirst()));
    // On screen the converting row carries the selection; the rows before and after it do not.
    QImage shot = m_list->viewport()->grab().toImage();
    auto stateCellColour
        = [&](int row) { return shot.pixelColor(m_list->CellRect(m_list->GetNodeAtIndex(row), 1).center()); };
    EXPECT_NE(stateCellColour(1), stateCellColour(0));
    EXPECT_EQ(stateCellColour(0), stateCellColour(2));

    m_job->Stop();
    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
}

TEST_F(CommandBatchTest, EncoderOutputIsCountedButNotPassedOn)
{
    MakeJob();
    AddRow(Clip("talky.avi", "say frame=1\nsay frame=2\nsay frame=3\n"));

    RunBatch();

    EXPECT_GE(Outputs, 3);
}

TEST_F(CommandBatchTest, MissingEncoderStartsNoRowAndOneThatVanishesMidBatchFailsTheRest)
{
    TTestDialogs dialogs;
    TEmptyPath noEncoderOnPath;
    QFile::remove(ProgramDir() + "/bin/ffmpeg");
    MakeJob();
    AddRow(Clip("a.avi", "sleep 300\n"));
    AddRow(Clip("b.avi"));

    EXPECT_THROW(m_job->Start(), EEncoderMissing);
    EXPECT_TRUE(m_job->Idle());
    EXPECT_FALSE(m_job->Running());
    EXPECT_EQ(States(), (std::vector<int> { Waiting, Waiting }));
    EXPECT_TRUE(Finished.empty());

    UseEncoder(REELHAND_FAKEENCODER);
    m_job->Start();
    ASSERT_TRUE(WaitForRuns(1));
    QFile::remove(ProgramDir() + "/bin/ffmpeg");
    ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }));
    EXPECT_EQ(States(), (std::vector<int> { Done, Failed }));
    EXPECT_EQ(Row(1)->ItemData.Reason, "The encoder could not be started: No such file or directory.");
}

TEST_F(CommandBatchTest, EncoderThatCannotStartIsToldOncePerBatchAndEveryRowFails)
{
    TTestDialogs dialogs;
    UseUnstartableEncoder();
    MakeJob();
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi"));
    AddRow(Clip("c.avi"));

    RunBatch();

    EXPECT_EQ(States(), (std::vector<int> { Failed, Failed, Failed }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages.isEmpty(); }));
    EXPECT_TRUE(dialogs.Messages[0].Text.endsWith(" could not be started: Exec format error."))
        << dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(dialogs.Messages[0].Icon, TMsgIcon::Stop);

    // The next batch is told again, once.
    RunBatch();
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Messages.size() >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Messages.size(), 2);
}

TEST_F(CommandBatchTest, EntryLackingItsExtensionFailsItsRowWithTheReasonAndTheBatchGoesOn)
{
    TTestDialogs dialogs;
    QFile catalogue(ProgramDir() + "/command");
    ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly | QIODevice::Truncate));
    catalogue.write("<commands><c><format>No ext</format><params>-n</params></c>"
                    "<c><format>Good</format><params>-n</params><ext>mp4</ext></c></commands>");
    catalogue.close();
    MakeJob();
    AddRow(Clip("a.avi"), 0);
    AddRow(Clip("b.avi"), 1);

    RunBatch();

    EXPECT_EQ(States(), (std::vector<int> { Failed, Done }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    // The catalogue's complaint is the row's reason rather than a box.
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    std::string complaint;
    try {
        CommandManager->GetExt(0);
    } catch (const std::exception& error) {
        complaint = error.what();
    }
    EXPECT_FALSE(complaint.empty());
    EXPECT_EQ(Row(0)->ItemData.Reason.toStdString(), complaint);
    EXPECT_EQ(Runs().size(), 1u);
}

} // namespace
