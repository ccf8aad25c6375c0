#include "RunnerFixture.h"

#include <QProcess>
#include <csignal>

// A program that is killed outright (kill -9, a crash) cannot stop its encoder; the encoder must die with it
// rather than run on, re-parented, for ever.
TEST(ProcessParentDeath, ChildDiesWhenTheProgramThatStartedItIsKilled)
{
    QProcess program;
    program.start(REELHAND_SPAWNER, {REELHAND_CHILDPROG, "--ignore-term", "--pid", "--forever"});
    ASSERT_TRUE(program.waitForStarted(10000));
    long child = -1;
    ASSERT_TRUE(WaitUntil([&] {
        program.waitForReadyRead(10);
        const QByteArray said = program.peek(4096);
        if (said.startsWith("pid ") && said.endsWith('\n'))
            child = said.mid(4).trimmed().toLong();
        return child > 0;
    }));
    ASSERT_NE(ProcessState(child), 0);

    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished(10000));

    EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(child); }, 5000))
        << "the child runs on after its program was killed";
    if (!ProcessEnded(child))
        ::kill(static_cast<pid_t>(child), SIGKILL);
}
