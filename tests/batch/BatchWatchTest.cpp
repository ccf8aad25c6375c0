// reelhand-convert --watch as a user runs it: files written slowly, moved in or there before are each converted
// once, its own outputs inside the watched folder never, a restart converts only what changed, SIGTERM ends it as
// it ends --convert, and a folder that goes away stops it with a message.
#include "tests/batch/BatchProgram.h"
#include "tests/support/Clips.h"
#include "tests/support/WaitUntil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

namespace
{

constexpr int SettleMs = 500;

class BatchWatch : public testing::TestWithParam<bool>
{
protected:
    std::unique_ptr<QProcess> StartWatch()
    {
        QStringList arguments = { "--watch", m_drop, "--format", "0", "--output", m_drop + "/converted", "--settle",
            QString::number(SettleMs / 1000.0) };
        if (GetParam())
            arguments << "--poll";
        return m_program.Start(arguments);
    }

    // How often the encoder was run on each source, by name under the watched folder.
    std::map<QString, int> RunsBySource() const
    {
        std::map<QString, int> runs;
        for (const TEncoderRun& run : m_program.Runs())
            ++runs[run.Args.value(run.Args.indexOf("-i") + 1).mid(m_drop.size() + 1)];
        return runs;
    }

    // A clip for the stand-in, with its (empty) script beside it, which the watch passes over.
    QString Clip(const QString& path)
    {
        EXPECT_TRUE(MakeScriptedClip(path, {}));
        return path;
    }

    TBatchProgram m_program { false, true };
    const QString m_drop = m_program.Folder("drop");
};

} // namespace

TEST_P(BatchWatch, ConvertsEachArrivingFileOnceAcrossRestarts)
{
    const QString before = Clip(m_drop + "/before.avi");
    std::unique_ptr<QProcess> watch = StartWatch();

    // Written in ten pieces, 100 ms apart: never read before its writer is done.
    QFile clip(Clip(m_program.Folder("staging") + "/slow.avi"));
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    const QByteArray bytes = clip.readAll();
    QFile(m_program.Folder("staging") + "/slow.avi.script").copy(m_drop + "/slow.avi.script");
    QFile slow(m_drop + "/slow.avi");
    ASSERT_TRUE(slow.open(QIODevice::WriteOnly));
    for (int i = 0; i < 10; ++i) {
        slow.write(bytes.mid(i * bytes.size() / 10, (i + 1) * bytes.size() / 10 - i * bytes.size() / 10));
        slow.flush();
        WaitUntil([] { return false; }, 100);
        EXPECT_EQ(RunsBySource().count("slow.avi"), 0u) << "read while written";
    }
    slow.close();
    const QString moved = Clip(m_program.Folder("staging") + "/moved.avi");
    ASSERT_TRUE(QDir(m_drop).mkpath("sub"));
    ASSERT_TRUE(QFile::rename(moved + ".script", m_drop + "/sub/moved.avi.script"));
    ASSERT_TRUE(QFile::rename(moved, m_drop + "/sub/moved.avi"));

    const std::map<QString, int> once = { { "before.avi", 1 }, { "slow.avi", 1 }, { "sub/moved.avi", 1 } };
    ASSERT_TRUE(
        WaitUntil([&] { return RunsBySource().size() == 3 && FilesIn(m_drop + "/converted").size() == 3; }, 60000))
        << FilesIn(m_drop + "/converted").join(", ").toStdString();
    // The outputs arrived in the watched folder, and were settled for as long as any file: none is taken.
    WaitUntil([] { return false; }, SettleMs);
    EXPECT_EQ(RunsBySource(), once);
    ::kill(static_cast<pid_t>(watch->processId()), SIGTERM);
    ASSERT_TRUE(watch->waitForFinished(10000));
    EXPECT_EQ(watch->exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(watch->exitCode(), SIGTERM);

    // A restart converts nothing again but the file changed meanwhile.
    QFile changed(before);
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite)
        && changed.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    changed.close();
    watch = StartWatch();
    ASSERT_TRUE(WaitUntil([&] { return RunsBySource()["before.avi"] == 2; }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return FilesIn(m_drop + "/converted").size() == 4; }, 60000));
    WaitUntil([] { return false; }, SettleMs);
    EXPECT_EQ(m_program.Runs().size(), 4u);

    // The folder goes away: the watch stops with a message and keeps its ledger.
    ASSERT_TRUE(QDir().rename(m_drop, m_program.Folder("gone") + "/drop"));
    ASSERT_TRUE(watch->waitForFinished(10000));
    EXPECT_EQ(watch->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch->exitCode(), 1);
    EXPECT_TRUE(watch->readAllStandardError().contains("went away"));
}

INSTANTIATE_TEST_SUITE_P(HeardOrLooked, BatchWatch, testing::Values(false, true),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "Polling" : "Inotify"; });
