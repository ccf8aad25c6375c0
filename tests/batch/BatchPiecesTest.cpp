// The steps of a cluster job through reelhand-convert with the real encoder: pieces prove which conversion they are
// of, hold every frame the source has between their cuts, and a step that cannot start ends with why.
#include "tests/batch/BatchProgram.h"
#include "tests/support/Clips.h"
#include "tests/support/LoggedEncoder.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <csignal>
#include <gtest/gtest.h>

namespace
{

// Four seconds at 25 frames a second with a keyframe each second: two pieces of 50 frames.
const QString Picture = "-f lavfi -i %1=duration=4:rate=25:size=160x120 -f lavfi -i sine=duration=4 -c:v libx264 -g 25";

QStringList Step(const QString& source, const QString& out, const QString& step)
{
    QStringList arguments { "--format", "0", "--output", out, "--split", "2", "--quiet" };
    arguments << (step == "join" ? QStringList { "--join" } : QStringList { "--piece", step }) << source;
    return arguments;
}

// The real encoder behind a script that makes the first piece three frames short of its cut.
void ShortenFirstPiece(const QString& path)
{
    QFile::remove(path);
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\ncase \"$*\" in *piece-1*)\n  n=$#; i=0\n  for word; do i=$((i + 1)); "
                 "[ $i -eq $n ] && set -- \"$@\" -frames:v 47; set -- \"$@\" \"$word\"; done; shift $n;;\nesac\n"
                 "exec " REELHAND_FFMPEG " \"$@\"\n");
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

class BatchPieces : public ::testing::Test
{
protected:
    // A film of the given picture in clips/, made with the real encoder; empty when it could not be made.
    QString Film(const QString& picture = Picture.arg("testsrc2"))
    {
        const QString path = program.Folder("clips") + "/film.mp4";
        return MakeMedia(path, picture) ? path : QString();
    }

    TBatchProgram program { true, true };
    const QString out = program.Folder("out");
};

} // namespace

TEST_F(BatchPieces, StepsOfTwoSourcesOfOneNameNeverMeetAndShortPiecesAreRefused)
{
    const QString camA = program.Folder("camA") + "/clip.mp4";
    const QString camB = program.Folder("camB") + "/clip.mp4";
    ASSERT_TRUE(MakeMedia(camA, Picture.arg("testsrc2")));
    ASSERT_TRUE(MakeMedia(camB, Picture.arg("smptebars")));

    // Camera A's first piece and rest, camera B's second piece: A's join has no second piece of its own.
    for (const auto& [source, step] : { std::pair { camA, "1" }, { camA, "3" }, { camB, "2" } })
        ASSERT_EQ(program.Run(Step(source, out, step)).ExitCode, 0) << step;
    const TBatchProgram::TResult mixed = program.Run(Step(camA, out, "join"));
    EXPECT_EQ(mixed.ExitCode, 1);
    EXPECT_TRUE(mixed.Out.contains("Piece 2 of 2 of the picture is missing")) << mixed.Out.toStdString();
    EXPECT_FALSE(QFile::exists(out + "/clip.mp4"));

    ASSERT_EQ(program.Run(Step(camA, out, "2")).ExitCode, 0);
    const TBatchProgram::TResult joined = program.Run(Step(camA, out, "join"));
    ASSERT_EQ(joined.ExitCode, 0) << joined.Out.toStdString();
    EXPECT_EQ(FrameTimes(out + "/clip.mp4", "v").size(), 100);
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).filter(".pieces").size(), 1)
        << "A's pieces went with its join; B's stay for its own";

    // A piece three frames short fails its step, which names what is missing.
    ShortenFirstPiece(program.Path() + "/bin/ffmpeg");
    const TBatchProgram::TResult shortPiece = program.Run(Step(camB, out, "1"));
    EXPECT_EQ(shortPiece.ExitCode, 1);
    EXPECT_TRUE(shortPiece.Out.contains("Piece 1 of 2 of the picture has 47 frames; the source has 50"))
        << shortPiece.Out.toStdString();
}

// A leftover of a killed step that cannot be removed (the share turned read-only) ends the step with why: nothing
// waits for an encoder that never started.
TEST_F(BatchPieces, AStepThatCannotStartEndsWithItsReason)
{
    const QString source = Film();
    ASSERT_FALSE(source.isEmpty());
    ASSERT_EQ(program.Run(Step(source, out, "1")).ExitCode, 0);
    const QString pieces = QDir(out).entryList({ ".film.mp4.*.pieces" }, QDir::Dirs | QDir::Hidden).value(0);
    QFile leftover(out + "/" + pieces + "/piece-2.part.nut");
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    const QString readOnly = program.Folder("read-only");
    if (QProcess::execute("bindfs", { "-r", out, readOnly }) != 0)
        GTEST_SKIP() << "no read-only mount can be made here";

    const TBatchProgram::TResult result = program.Run(Step(source, readOnly, "2"), 60000);
    QProcess::execute("fusermount", { "-u", readOnly });
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_TRUE(result.Out.contains("Piece 2 of 2 of the picture cannot be made again: Read-only file system"))
        << result.Out.toStdString();
}

// A split killed outright leaves its private folder with the pieces in it; the next run into that folder knows
// them for a conversion's own files and removes them, so nothing is left but the output.
TEST_F(BatchPieces, WhatAKilledSplitLeftGoesWithTheNextRun)
{
    const QString source
        = Film(Picture.arg("testsrc2").replace("duration=4", "duration=20").replace("size=160x120", "size=640x360"));
    ASSERT_FALSE(source.isEmpty());
    const QStringList split = { "--format", "0", "--output", out, "--split", "2", "--jobs", "2", source };
    const std::unique_ptr<QProcess> killed = program.Start(split);
    const auto pieceWritten = [&] {
        for (const QString& folder : QDir(out).entryList({ ".reelhand-*" }, QDir::Dirs | QDir::Hidden))
            if (!QDir(out + "/" + folder).entryList({ "piece-*" }, QDir::Files).isEmpty())
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(pieceWritten(), 60000);
    ::kill(static_cast<pid_t>(killed->processId()), SIGKILL);
    killed->waitForFinished();

    const TBatchProgram::TResult again = program.Run(split + QStringList { "--quiet" }, 300000);
    EXPECT_EQ(again.ExitCode, 0) << again.Out.toStdString();
    EXPECT_FALSE(again.Out.contains("never writes")) << again.Out.toStdString();
    EXPECT_EQ(FilesIn(out), QStringList({ "film.mp4" }));
}
