// Several runs writing into one folder at once never give two rows the same output.
#include "tests/batch/BatchProgram.h"

#include <gtest/gtest.h>

TEST(BatchRace, RacingProcessesNeverClashOnNames)
{
    TBatchProgram program;
    const QString out = program.Folder("shared");
    // Every row wants shared/clip.mp4; the stand-in writes its output only at its end, as late as possible.
    std::vector<TBatchProgram::TRow> rows;
    for (int i = 0; i < 4; ++i)
        rows.push_back({ program.Source("clip.avi", "sleep 200\n"), 0, out });
    const QString list = program.WriteList("list.qfl", rows);

    std::vector<std::unique_ptr<QProcess>> racers;
    for (int i = 0; i < 3; ++i)
        racers.push_back(program.Start({ "--convert", list, "--jobs", "2" }));
    for (const std::unique_ptr<QProcess>& racer : racers) {
        ASSERT_TRUE(racer->waitForFinished(60000));
        EXPECT_EQ(racer->exitCode(), 0) << racer->readAllStandardOutput().toStdString();
    }

    QStringList expected;
    for (QString name = "clip.mp4"; expected.size() < 12; name.replace(".mp4", "_2.mp4"))
        expected << name;
    expected.sort();
    EXPECT_EQ(FilesIn(out), expected);
    for (const TEncoderRun& run : program.Runs())
        EXPECT_EQ(run.ExitCode, 0) << run.Args.join(' ').toStdString();
}
