// Rows whose encoder never starts: each ends Failed, and the user is told without boxes piling up.
#include "tests/engine/CommandFixture.h"
#include "tests/engine/FailingAllocation.h"
#include "tests/support/TestDialogs.h"

#include <QDir>

namespace
{

int LiveThreads()
{
    return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

class CommandStartFailureTest : public CommandFixture
{
};

// The error box is modal: while it is open its own event loop runs, and with it the rest of the batch. Each
// further failure must neither open a box inside it nor keep a reader thread waiting for it.
TEST_F(CommandStartFailureTest, LongListWithAnEncoderThatCannotStartShowsOneBoxOpenedInsideNoOtherAndFailsEveryRow)
{
    // Each row's source is read and its folder made beside the window first, so a row costs a few hand-overs between
    // threads; a few hundred rows keep the box open over many failures without a busy machine's minutes.
    constexpr int rows = 500;
    UseUnstartableEncoder();
    MakeJob();
    const QString clip = Clip("a.avi");
    for (int i = 0; i < rows; ++i)
        AddRow(clip);
    TTestDialogs dialogs;
    const int threadsBefore = LiveThreads();
    int threadsWhileOpen = -1;
    // The user reads the box until the batch is over and every reader has ended.
    dialogs.CloseBoxWhen = [&] {
        if (Finished.empty())
            return false;
        threadsWhileOpen = LiveThreads();
        return threadsWhileOpen <= threadsBefore;
    };

    RunBatch(180000);
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Messages.isEmpty() && dialogs.OpenBoxes == 0; }, 90000));

    EXPECT_EQ(dialogs.MostOpenBoxes, 1) << "error boxes opened inside each other";
    EXPECT_EQ(threadsWhileOpen, threadsBefore) << "reader threads waited for the open box";
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_TRUE(dialogs.Messages[0].Text.endsWith(" could not be started: Exec format error."))
        << dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    EXPECT_EQ(Progress.size(), size_t(rows));
    EXPECT_EQ(States(), std::vector<int>(rows, Failed));
}

// A run can fail before its encoder starts in ways that leave no system error code (here an allocation that
// fails on the reader); such a run must not look like a success.
TEST_F(CommandStartFailureTest, RunFailingBeforeTheEncoderWithoutAnErrorCodeFailsTheRow)
{
    MakeJob();
    AddRow(Clip("a.avi"));
    AddRow(Clip("b.avi"));
    // The reader's first allocation is its 1024-byte read buffer.
    FailNextAllocationElsewhere(1024);

    RunBatch();

    EXPECT_EQ(States(), (std::vector<int> { Failed, Done }));
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
}

} // namespace
