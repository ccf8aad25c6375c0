// Spreading a list over several runs, and picking a list up again after a run that died.
#include "engine/row/RowPublisher.h"
#include "tests/support/PrivateFolders.h"
#include "tests/batch/BatchProgram.h"
#include "tests/support/ProcessState.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QSet>
#include <csignal>
#include <gtest/gtest.h>

TEST(BatchShard, ShardsTogetherConvertEveryRowExactlyOnce)
{
    TBatchProgram program;
    const QString out = program.Folder("out");
    std::vector<TBatchProgram::TRow> rows;
    QStringList sources;
    for (int i = 0; i < 7; ++i) {
        sources << program.Source(QString("s%1.avi").arg(i), "sleep 50\n");
        rows.push_back({ sources.back(), 0, out });
    }
    const QString list = program.WriteList("list.qfl", rows);

    std::vector<std::unique_ptr<QProcess>> shards;
    for (int i = 0; i < 3; ++i)
        shards.push_back(program.Start({ "--convert", list, "--shard", QString("%1/3").arg(i + 1), "--jobs", "2" }));
    const QStringList counts = { "of 3 in", "of 2 in", "of 2 in" }; // rows 1 4 7, 2 5, 3 6
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(shards[i]->waitForFinished(60000));
        EXPECT_EQ(shards[i]->exitCode(), 0);
        EXPECT_TRUE(QString::fromUtf8(shards[i]->readAllStandardOutput()).contains(counts[i])) << i;
    }

    QStringList converted;
    for (const TEncoderRun& run : program.Runs())
        converted << run.Input();
    converted.sort();
    EXPECT_EQ(converted, sources);
    EXPECT_EQ(FilesIn(out), (QStringList { "s0.mp4", "s1.mp4", "s2.mp4", "s3.mp4", "s4.mp4", "s5.mp4", "s6.mp4" }));
}

// A run killed outright leaves its half-written output in its private folder, under no real name. Running the list
// again with --skip-done passes over what was finished, converts the rest, finishes the killed row under its own
// name, and clears the dead run's private folder.
TEST(BatchShard, SkipDoneResumesAfterARunThatWasKilled)
{
    TBatchProgram program;
    const QString out = program.Folder("out");
    const std::vector<TBatchProgram::TRow> rows = { { program.Source("a.avi"), 0, out },
        { program.Source("b.avi"), 0, out }, { program.Source("c.avi", "begin\nwait\n"), 0, out },
        { program.Source("d.avi"), 0, out } };
    const QString first = program.WriteList("first.qfl", { rows[0], rows[2] });
    {
        std::unique_ptr<QProcess> killed = program.Start({ "--convert", first });
        ASSERT_TRUE(WaitUntil([&] { return program.Runs().size() == 2 && OutputsBeingWritten(out) == 1; }, 30000));
        killed->kill();
        killed->waitForFinished();
        const int encoder = program.Runs()[1].Pid;
        EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(encoder); }, 10000)) << "the encoder outlived the program";
        if (!ProcessEnded(encoder))
            ::kill(encoder, SIGKILL);
    }
    EXPECT_FALSE(QFile::exists(out + "/c.mp4"));
    QFile(out + "/b.mp4").open(QIODevice::WriteOnly); // empty: nobody's finished output
    program.Source("c.avi");
    const QString all = program.WriteList("all.qfl", rows);

    const TBatchProgram::TResult result = program.Run({ "--convert", all, "--skip-done" });

    EXPECT_EQ(result.ExitCode, 0) << result.Out.toStdString();
    EXPECT_TRUE(result.Out.contains("skipped  item 1: " + out + "/a.mp4 is already there\n"));
    EXPECT_TRUE(result.Out.contains("Converted 3, failed 0, skipped 1 of 4 in "));
    EXPECT_EQ(program.Runs().size(), 5u);
    EXPECT_EQ(FilesIn(out), (QStringList { "a.mp4", "b.mp4", "b_2.mp4", "c.mp4", "d.mp4" }));
    const std::pair<const char*, int> made[] = { { "a.mp4", 0 }, { "b_2.mp4", 1 }, { "c.mp4", 2 }, { "d.mp4", 3 } };
    for (const auto& [name, row] : made)
        EXPECT_TRUE(OutputDone((out + "/" + name).toStdString(), rows[row].FileName.toStdString(), 0)) << name;
    EXPECT_TRUE(PrivateFolders(out).isEmpty());
}
