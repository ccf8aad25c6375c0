// What others can do in a folder they may write, and names that are not text: a run writes, removes and resumes
// only its own files.
#include "engine/row/RowPublisher.h"
#include "tests/batch/BatchProgram.h"
#include "tests/support/Clips.h"
#include "tests/support/PrivateFolders.h"
#include "tests/support/Unprivileged.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/FileNames.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A folder of program's that another user can reach, with the given mode.
QString SharedFolder(const TBatchProgram& program, const QString& name, mode_t mode)
{
    const QString folder = program.Folder(name);
    EXPECT_EQ(::chmod(program.Folder(".").toUtf8().constData(), 0755), 0);
    EXPECT_EQ(::chmod(folder.toUtf8().constData(), mode), 0);
    return folder;
}

} // namespace

// In a group folder without the sticky bit, another user renames the private folder away while the encoder
// writes and puts a link to a folder of the user's in its place: nothing in that folder is touched, and the row
// says what happened.
TEST(BatchOwnFiles, APrivateFolderSwappedForALinkTouchesNothingOutside)
{
    TBatchProgram program;
    const QString out = SharedFolder(program, "group", 0777);
    const QString victim = program.Folder("victim");
    for (const char* name : { "a", "b" }) {
        QFile file(victim + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name);
    }
    const TBatchProgram::TRow row { program.Source("slow.avi", "sleep 3000\n"), 0, out };
    std::unique_ptr<QProcess> run = program.Start({ "--convert", program.WriteList("l.qfl", { row }) });
    ASSERT_TRUE(WaitUntil([&] { return PrivateFolders(out).size() == 1; }));
    const std::string folder = (out + "/" + PrivateFolders(out).first()).toStdString();

    const std::string swapped = AsUnprivilegedUser([&] {
        const int moved = ::rename(folder.c_str(), (out + "/.moved").toUtf8().constData());
        return std::to_string(moved) + std::to_string(::symlink(victim.toUtf8().constData(), folder.c_str()));
    });

    ASSERT_EQ(swapped, "00");
    ASSERT_TRUE(run->waitForFinished(60000));
    const QString said = QString::fromUtf8(run->readAllStandardOutput());
    EXPECT_EQ(run->exitCode(), 1) << said.toStdString();
    EXPECT_TRUE(said.contains("Someone else moved the folder")) << said.toStdString();
    EXPECT_EQ(FilesIn(victim), QStringList({ "a", "b" }));
    QFile a(victim + "/a");
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), "a");
    EXPECT_TRUE(QDir(out + "/.moved").isEmpty());
    EXPECT_TRUE(QDir(out).entryList({ "*.mp4" }).isEmpty());
}

// Between the steps of a cluster job another user swaps the folder of the pieces for a link to a folder of the
// user's (the sources'), and then for a folder of their own: the next step refuses each, and writes and removes
// nothing anywhere.
TEST(BatchOwnFiles, APiecesFolderSwappedBetweenStepsIsRefusedAndNothingOutsideIsTouched)
{
    TBatchProgram program(true, true);
    const QString out = SharedFolder(program, "group", 0777);
    const QString victim = program.Folder("clips");
    const QString source = victim + "/film.mp4";
    ASSERT_TRUE(MakeMedia(source, "-f lavfi -i testsrc2=duration=2:rate=25:size=160x120 -c:v libx264 -g 25"));
    const QStringList step = { "--format", "0", "--output", out, "--split", "2", source };
    ASSERT_EQ(program.Run(step + QStringList { "--piece", "1" }).ExitCode, 0);
    const QString piecesName = QDir(out).entryList({ ".film.mp4.*.pieces" }, QDir::Dirs | QDir::Hidden).value(0);
    const std::string pieces = (out + "/" + piecesName).toStdString();

    const std::string linked = AsUnprivilegedUser([&] {
        const int moved = ::rename(pieces.c_str(), (out + "/.moved").toUtf8().constData());
        return std::to_string(moved) + std::to_string(::symlink(victim.toUtf8().constData(), pieces.c_str()));
    });
    const TBatchProgram::TResult throughLink = program.Run(step + QStringList { "--piece", "2" });
    const std::string replaced = AsUnprivilegedUser([&] {
        const int unlinked = ::unlink(pieces.c_str());
        const int made = ::mkdir(pieces.c_str(), 0700);
        return std::to_string(unlinked) + std::to_string(made) + std::to_string(::chmod(pieces.c_str(), 0777));
    });
    const TBatchProgram::TResult theirs = program.Run(step + QStringList { "--join" });

    ASSERT_EQ(linked + replaced, "00000");
    EXPECT_EQ(throughLink.ExitCode, 1);
    EXPECT_TRUE(throughLink.Out.contains("is not a folder")) << throughLink.Out.toStdString();
    EXPECT_EQ(theirs.ExitCode, 1);
    EXPECT_TRUE(theirs.Out.contains("is another user's")) << theirs.Out.toStdString();
    EXPECT_EQ(FilesIn(victim), QStringList({ "film.mp4" }));
    EXPECT_EQ(FilesIn(out + "/.moved"), QStringList({ "manifest", "piece-1.nut" }));
    EXPECT_EQ(FilesIn(QString::fromStdString(pieces)), QStringList());
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
        QStringList({ piecesName, ".moved" }));
}

// A resume passes over only the row's own whole file of the source as it is: one cut short afterwards, another
// user's copy of it with its note and date, and the output of a source changed since, are converted again, each
// under a free name.
TEST(BatchOwnFiles, ACutFileAForgedNoteOrAChangedSourceIsConvertedAgain)
{
    TBatchProgram program;
    const QString out = SharedFolder(program, "shared", 01777);
    const QString aside = program.Folder("aside");
    const std::vector<TBatchProgram::TRow> rows = { { program.Source("cut.avi"), 0, out },
        { program.Source("forged.avi"), 0, out }, { program.Source("changed.avi"), 0, out } };
    const QString list = program.WriteList("l.qfl", rows);
    ASSERT_EQ(program.Run({ "--convert", list }).ExitCode, 0);
    ASSERT_TRUE(QFile::resize(out + "/cut.mp4", 100));
    QFile changed(rows[2].FileName);
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite)
        && changed.setFileTime(QDateTime::currentDateTimeUtc().addSecs(60), QFileDevice::FileModificationTime));
    changed.close();
    ASSERT_TRUE(QFile::rename(out + "/forged.mp4", aside + "/forged.mp4"));
    const std::string copied = AsUnprivilegedUser([&] {
        const QString copy = "cp --preserve=timestamps,xattr '" + aside + "/forged.mp4' '" + out + "/forged.mp4'";
        return std::to_string(::system(copy.toUtf8().constData()));
    });
    ASSERT_EQ(copied, "0");

    const TBatchProgram::TResult result = program.Run({ "--convert", list, "--skip-done" });

    EXPECT_TRUE(result.Out.contains("Converted 3, failed 0, skipped 0 of 3")) << result.Out.toStdString();
    EXPECT_TRUE(OutputDone((out + "/cut_2.mp4").toStdString(), rows[0].FileName.toStdString(), 0));
    EXPECT_TRUE(OutputDone((out + "/forged_2.mp4").toStdString(), rows[1].FileName.toStdString(), 0));
    EXPECT_TRUE(OutputDone((out + "/changed_2.mp4").toStdString(), rows[2].FileName.toStdString(), 0));
    EXPECT_EQ(QFileInfo(out + "/forged.mp4").size(), QFileInfo(aside + "/forged.mp4").size());
}

// A source named in Latin-1 (é as the byte 0xE9) converts from the command line and from a list file, and is shown
// with that byte escaped; a folder given as a source says it is one.
TEST(BatchOwnFiles, ANameThatIsNotUtf8ConvertsAndAFolderSaysItIsOne)
{
    TBatchProgram program;
    const QString out = program.Folder("out");
    const std::string clips = program.Folder("clips").toStdString();
    for (const std::string name : { "caf\xe9", "list\xe9" }) {
        const QString plain = program.Source(QString::fromStdString(name.substr(0, name.size() - 1)) + ".avi");
        for (const char* end : { "", ".script" })
            ASSERT_EQ(::rename((plain.toStdString() + end).c_str(), (clips + "/" + name + ".avi" + end).c_str()), 0);
    }
    QProcess shell;
    shell.start("/bin/sh",
        { "-c", "exec \"$0\" --convert --format 0 --output \"$1\" \"$(printf \"$2/caf\\351.avi\")\" \"$2\"",
            program.Path() + "/reelhand", out, QString::fromStdString(clips) });
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QString said = QString::fromUtf8(shell.readAllStandardOutput());
    const TBatchProgram::TResult listed
        = program.Run({ "--convert", program.WriteList("l.qfl", { { NameText(clips + "/list\xe9.avi"), 0, out } }) });

    EXPECT_EQ(::access((out.toStdString() + "/caf\xe9.mp4").c_str(), F_OK), 0) << said.toStdString();
    EXPECT_TRUE(said.contains("done     item 1: " + out + "/caf\\xe9.mp4")) << said.toStdString();
    EXPECT_TRUE(said.contains("item 2: " + QString::fromStdString(clips) + ": The source is a folder, not a file."))
        << said.toStdString();
    EXPECT_EQ(listed.ExitCode, 0) << listed.Out.toStdString();
    EXPECT_EQ(::access((out.toStdString() + "/list\xe9.mp4").c_str(), F_OK), 0) << listed.Out.toStdString();
    // The temporary folder's own clean-up cannot name what Qt cannot encode.
    QProcess::execute("rm", { "-rf", QString::fromStdString(clips), out });
}
