// Signals as shells, nohup and parents send or leave them: what was ignored stays ignored, a stop ends by its
// signal after the clean-up, the encoders stop and continue with the program, and their ends are always seen.
#include "tests/batch/BatchProgram.h"
#include "tests/support/Clips.h"
#include "tests/support/ProcessState.h"
#include "tests/support/WaitUntil.h"

#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(BatchSignal, EachSignalDoesWhatTheShellExpects)
{
    struct Case {
        const char* what;
        std::vector<int> ignoredByParent;
        QByteArray script;
        std::vector<int> sent; // in order, once the encoder runs
        int endedBy; // 0: exit code 0
        QString says;
    };
    const Case cases[] = {
        { "nohup", { SIGHUP }, "wait\n", { SIGHUP, SIGTERM }, SIGTERM, "Stopped by SIGTERM." },
        { "background job", { SIGINT }, "wait\n", { SIGINT, SIGTERM }, SIGTERM, "Stopped by SIGTERM." },
        { "Ctrl+C", {}, "begin\nwait\n", { SIGINT }, SIGINT, "Stopped by you." },
        { "parent ignores SIGCHLD", { SIGCHLD }, "", {}, 0, "Converted 1, failed 0" },
        { "Ctrl+Z, fg", {}, "wait\n", { SIGTSTP, SIGCONT, SIGTERM }, SIGTERM, "Stopped by SIGTERM." },
    };
    for (const Case& c : cases) {
        TBatchProgram program;
        const QString out = program.Folder("out");
        const QString list = program.WriteList("l.qfl", { { program.Source("a.avi", c.script), 0, out } });
        std::unique_ptr<QProcess> batch = program.Start({ "--convert", list }, [&] {
            // A job of its own, as a shell makes it, so that a stop is not discarded as in an orphaned group.
            ::setpgid(0, 0);
            for (int signal : c.ignoredByParent)
                ::signal(signal, SIG_IGN);
        });
        const auto pid = static_cast<pid_t>(batch->processId());
        if (!c.sent.empty())
            ASSERT_TRUE(WaitUntil([&] { return program.Runs().size() == 1; }, 30000)) << c.what;
        for (int signal : c.sent) {
            ::kill(pid, signal);
            const long encoder = program.Runs().front().Pid;
            if (signal == SIGTSTP)
                EXPECT_TRUE(WaitUntil([&] { return ProcessState(pid) == 'T' && ProcessState(encoder) == 'T'; }, 30000))
                    << c.what << ": the encoder must stop with the program";
            if (signal == SIGCONT)
                EXPECT_TRUE(WaitUntil([&] { return ProcessState(pid) != 'T' && ProcessState(encoder) != 'T'; }, 30000))
                    << c.what << ": the encoder must go on with the program";
        }

        ASSERT_TRUE(batch->waitForFinished(30000)) << c.what;
        const QString text = QString::fromUtf8(batch->readAllStandardOutput());
        EXPECT_EQ(batch->exitStatus(), c.endedBy ? QProcess::CrashExit : QProcess::NormalExit) << c.what;
        EXPECT_EQ(batch->exitCode(), c.endedBy) << c.what << "\n" << text.toStdString();
        EXPECT_TRUE(text.contains(c.says)) << c.what << "\n" << text.toStdString();
        EXPECT_EQ(FilesIn(out).size(), c.endedBy ? 0 : 1) << c.what << ": " << FilesIn(out).join(' ').toStdString();
    }
}

// A source whose header is whole and whose rest is room not yet written: the read to its end takes minutes, and
// SIGTERM does not wait for it.
TEST(BatchSignal, SigtermDuringALongReadEndsTheProgramWithinASecond)
{
    TBatchProgram program;
    const QString film = program.Folder("clips") + "/film.mkv";
    ASSERT_TRUE(MakeMedia(film, "-f lavfi -i testsrc2=size=64x48:rate=25:duration=10 -c:v mpeg4"));
    ASSERT_TRUE(QFile(film).resize(qint64(100) << 30));
    std::unique_ptr<QProcess> batch = program.Start({ "--convert", "--format", "0", film });
    ASSERT_FALSE(batch->waitForFinished(1500)) << "the read is still going on";
    QElapsedTimer clock;
    clock.start();
    ::kill(static_cast<pid_t>(batch->processId()), SIGTERM);
    ASSERT_TRUE(batch->waitForFinished(5000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(batch->exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(batch->exitCode(), SIGTERM);
    EXPECT_TRUE(program.Runs().empty());
}
