// An output folder that other users write to: nothing they plant costs anyone's file, nothing blocks, and a resume
// finds each row's own finished file.
#include "engine/RowPublisher.h"
#include "tests/batch/BatchProgram.h"
#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

struct TTrap {
    const char* Source; // the row's source, converted to .mp4
    const char* Planted; // what the other user makes in the folder beforehand
    const char* Made; // the name the row's file must get
};

// Another user's link to where they cannot write, their file with a reservation of the old kind beside it, pipes
// where a run might open something, a folder at the name, and a name as long as the system allows.
const TTrap Traps[] = {
    { "link.avi", "ln -s /root/planted.mp4 link.mp4", "link_2.mp4" },
    { "theirs.avi", "echo mine > theirs.mp4; echo owner > .theirs.mp4.reserved", "theirs_2.mp4" },
    { "pipe.avi", "mkfifo .pipe.mp4.reserved .reelhand-pipe", "pipe.mp4" },
    { "dir.avi", "mkdir dir.mp4", "dir_2.mp4" },
};

} // namespace

TEST(BatchSharedFolder, NothingAnotherUserPlantsCostsAFileOrBlocks)
{
    TBatchProgram program;
    const QString out = program.Folder("shared");
    ASSERT_EQ(::chmod(program.Folder(".").toUtf8().constData(), 0755), 0);
    ASSERT_EQ(::chmod(out.toUtf8().constData(), 01777), 0);
    std::vector<TBatchProgram::TRow> rows;
    QString plant = "cd '" + out + "'";
    for (const TTrap& trap : Traps) {
        rows.push_back({ program.Source(trap.Source), 0, out });
        plant += QString("; ") + trap.Planted;
    }
    // No room for the stand-in's script beside it: it then reads the clip as its script, finds nothing to do and
    // copies it.
    const QString longName = QString(250, 'n');
    ASSERT_TRUE(QFile::copy(rows[0].FileName, program.Folder("clips") + "/" + longName + ".avi"));
    rows.push_back({ program.Folder("clips") + "/" + longName + ".avi", 0, out });
    const std::string planted
        = AsUnprivilegedUser([&] { return std::to_string(::system(plant.toUtf8().constData())); });
    ASSERT_EQ(planted, "0");

    const TBatchProgram::TResult result
        = program.Run({ "--convert", program.WriteList("l.qfl", rows), "-j", "2" }, 60000);

    EXPECT_EQ(result.ExitCode, 0) << result.Out.toStdString();
    for (const TTrap& trap : Traps)
        EXPECT_TRUE(QFileInfo(out + "/" + trap.Made).isFile()) << trap.Made;
    EXPECT_TRUE(QFileInfo(out + "/" + longName + ".mp4").isFile());
    EXPECT_FALSE(QFileInfo::exists("/root/planted.mp4"));
    EXPECT_TRUE(QFileInfo(out + "/link.mp4").isSymLink());
    QFile theirs(out + "/theirs.mp4");
    ASSERT_TRUE(theirs.open(QIODevice::ReadOnly));
    EXPECT_EQ(theirs.readAll(), "mine\n");
    EXPECT_TRUE(QFileInfo(out + "/.theirs.mp4.reserved").isFile());
    EXPECT_TRUE(QFileInfo(out + "/dir.mp4").isDir());
    EXPECT_TRUE(QFileInfo::exists(out + "/.reelhand-pipe"));
}

// Two rows whose sources differ only in their folder and extension go into one folder. A resume skips the row
// that was finished and converts the other, whose first-choice name is taken by the first row's file.
TEST(BatchSharedFolder, ResumeSkipsExactlyTheRowsThatWereFinished)
{
    TBatchProgram program;
    const QString out = program.Folder("out");
    const TBatchProgram::TRow first { program.Source("holiday.avi"), 0, out };
    QDir(program.Folder("clips")).mkpath("b");
    const TBatchProgram::TRow second { program.Source("b/holiday.mov"), 0, out };
    ASSERT_EQ(program.Run({ "--convert", program.WriteList("one.qfl", { first }) }).ExitCode, 0);

    const TBatchProgram::TResult result
        = program.Run({ "--convert", program.WriteList("both.qfl", { first, second }), "--skip-done" });

    EXPECT_TRUE(result.Out.contains("skipped  item 1: " + out + "/holiday.mp4 is already there"))
        << result.Out.toStdString();
    EXPECT_TRUE(result.Out.contains("Converted 1, failed 0, skipped 1 of 2")) << result.Out.toStdString();
    EXPECT_TRUE(OutputDone((out + "/holiday_2.mp4").toStdString(), second.FileName.toStdString(), 0));
}

// More encoders asked for than the open-file limit allows: the run says so once and converts every row.
TEST(BatchSharedFolder, JobsBeyondTheOpenFileLimitAreCappedAndSaidOnce)
{
    TBatchProgram program;
    const QString out = program.Folder("out");
    std::vector<TBatchProgram::TRow> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back({ program.Source(QString("c%1.avi").arg(i), "sleep 100\n"), 0, out });
    const QString list = program.WriteList("l.qfl", rows);

    QProcess shell;
    shell.start("/bin/sh",
        { "-c", "ulimit -n 100 && exec '" + program.Path() + "/reelhand' --convert '" + list + "' --jobs 40" });
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QString err = QString::fromUtf8(shell.readAllStandardError());
    EXPECT_EQ(shell.exitCode(), 0) << err.toStdString() << shell.readAllStandardOutput().toStdString();
    EXPECT_EQ(err.count("needs more open files than the limit of 100 allows; converting 8 files at once."), 1)
        << err.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 12);
}
