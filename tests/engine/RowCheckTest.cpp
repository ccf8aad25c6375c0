// The window's job does not take an encoder's exit code 0 for done: each kind of broken result fails its row, and
// no good one does, whatever its tracks' lengths.
#include "tests/engine/CommandFixture.h"
#include "tests/support/FailureKinds.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>

namespace
{

// What a source is made of: ffmpeg's arguments before its name.
struct TMade {
    const char* Name;
    const char* Make;
};

struct TCase {
    const char* Name;
    const char* Source; // a TMade's name
    const char* Script; // the stand-in's, or the shipped format's position
    const char* Reason; // the start of the row's reason; empty for Done
};

void MakeAll(const QString& folder, const std::vector<TMade>& made)
{
    for (const TMade& file : made)
        ASSERT_TRUE(MakeMedia(folder + "/" + file.Name, file.Make)) << file.Name;
}

class RowCheckTest : public CommandFixture
{
protected:
    // How each case's row of the batch ended.
    void ExpectEnds(const std::vector<TCase>& cases)
    {
        for (std::size_t row = 0; row < cases.size(); ++row) {
            SCOPED_TRACE(cases[row].Name);
            EXPECT_EQ(State(int(row)), *cases[row].Reason ? Failed : Done);
            EXPECT_TRUE(Row(int(row))->ItemData.Reason.startsWith(cases[row].Reason))
                << Row(int(row))->ItemData.Reason.toStdString();
        }
    }
};

TEST_F(RowCheckTest, EveryKindOfBrokenResultFailsItsRowWithItsCauseAndLeavesNothing)
{
    const std::vector<TFailureKind> kinds = FailureKinds(ClipsDir());
    MakeJob();
    for (const TFailureKind& kind : kinds)
        AddRow(Clip(QString(kind.Name).replace(' ', '-') + ".avi", kind.Script));
    const QString good = Clip("good.avi");
    const QDateTime filmed(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(filmed, QFileDevice::FileModificationTime));
    file.close();
    AddRow(good);
    // A chosen folder that is not there yet is made when its row needs it.
    const QString chosen = m_root.path() + "/new/deeper/";
    AddRow(Clip("chosen.avi"), 0, chosen);

    RunBatch();

    for (std::size_t row = 0; row < kinds.size(); ++row) {
        EXPECT_EQ(State(int(row)), Failed) << kinds[row].Name;
        EXPECT_TRUE(Row(int(row))->ItemData.Reason.startsWith(kinds[row].Reason))
            << kinds[row].Name << ": " << Row(int(row))->ItemData.Reason.toStdString();
    }
    EXPECT_EQ(State(int(kinds.size())), Done);
    EXPECT_EQ(QDir(ConvertDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ "good.mp4" }));
    EXPECT_EQ(QFileInfo(Made(int(kinds.size()))).lastModified(), filmed) << "the source's date";
    EXPECT_EQ(Made(int(kinds.size()) + 1), chosen + "chosen.mp4");
}

// Thirty seconds at 25 frames a second: the 1.5 % that a cut near the end takes are many frames.
const char* const longClip = "-f lavfi -i testsrc2=size=64x48:rate=25:duration=30 -f lavfi -i sine=duration=30 "
                             "-c:v mpeg4 -c:a mp2";

TEST_F(RowCheckTest, EveryDamagedOutputFailsWhereverTheDamageLies)
{
    const std::vector<TMade> made = {
        { "long.mkv", longClip },
        { "long.mp4",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=30 -f lavfi -i sine=duration=30 -c:v mpeg4 "
            "-c:a mp2 -movflags +faststart" },
        { "short picture.mkv",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=0.4 -f lavfi -i sine=duration=30 "
            "-c:v mpeg4 -c:a mp2" },
        { "short sound.mkv",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=30 -f lavfi -i sine=duration=0.3 "
            "-c:v mpeg4 -c:a mp2" },
        { "late picture.mkv",
            "-itsoffset 2 -f lavfi -i testsrc2=size=64x48:rate=25:duration=28 -f lavfi -i sine=duration=30 "
            "-c:v mpeg4 -c:a mp2" },
        { "late sound.mkv",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=30 -itsoffset 2 -f lavfi -i sine=duration=28 "
            "-c:v mpeg4 -c:a mp2" },
        { "sound a tenth short.mkv",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=30 -f lavfi -i sine=duration=29.9 "
            "-c:v mpeg4 -c:a mp2" },
    };
    MakeAll(ClipsDir(), made);
    const QString clips = ClipsDir() + "/";
    // A download that has come half way: the header tells the whole length, the packets end at half of it.
    QFile half(clips + "long.mkv");
    ASSERT_TRUE(half.copy(clips + "half downloaded.mkv"));
    ASSERT_TRUE(QFile(clips + "half downloaded.mkv").resize(half.size() / 2));
    const std::vector<TCase> cases = {
        { "picture cut", "long.mkv", "copy short picture.mkv",
            "The output's picture lasts 0.40 s; the source's lasts 30" },
        { "sound cut", "long.mkv", "copy short sound.mkv", "The output's sound lasts 0.3" },
        { "picture begins late", "long.mkv", "copy late picture.mkv",
            "The output's picture begins at 2" /* .01 s; the source's begins at 0.01 s. */ },
        { "sound begins late", "long.mkv", "copy late sound.mkv",
            "The output's sound begins at 1.9" /* 9 s; the source's begins at 0.00 s. */ },
        { "sound ends a tenth early", "long.mkv", "copy sound a tenth short.mkv", "The output's sound lasts 29.9" },
        { "cut at 5 %", "long.mkv", "cut 5", "The output's picture lasts 1." },
        { "cut at 50 %", "long.mp4", "cut 50", "The output's picture lasts 1" },
        { "cut at 98.5 %", "long.mp4", "cut 98.5", "The output's picture lasts 29." },
        { "zeroed middle", "long.mp4", "zero 33 66", "The output's picture breaks off for " },
        { "zeroed middle of a Matroska file", "long.mkv", "zero 33 66", "The output's picture breaks off for " },
        { "source still downloading", "half downloaded.mkv", "exit 1",
            "The source ends at 1" /* 5 s, although it says it lasts 30 s: it may be cut short or still downloading. */ },
    };
    MakeJob();
    for (const TCase& test : cases) {
        const QString source = clips + test.Name + "." + QFileInfo(test.Source).suffix();
        ASSERT_TRUE(QFile::copy(clips + test.Source, source));
        QFile script(source + ".script");
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QByteArray(test.Script).replace("copy ", "copy " + clips.toUtf8()) + "\n");
        script.close();
        AddRow(source);
    }
    RunBatch(60000);
    ExpectEnds(cases);
    EXPECT_EQ(QDir(ConvertDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(Row(int(cases.size()) - 1)->ItemData.Reason.endsWith("still downloading."));
    EXPECT_EQ(Runs().size(), cases.size() - 1) << "a source that ends early never reaches the encoder";
}

// A picture converted frame for frame (its format keeps each frame's time) must hold its source's frames: one that
// lost every tenth frame, its length and times otherwise whole, fails.
TEST_F(RowCheckTest, APictureConvertedFrameForFrameHoldsEveryFrame)
{
    WriteCatalogue({ { "Frames", "-n -fps_mode:v:0 vfr", "mkv" } });
    MakeAll(ClipsDir(),
        { { "long.mkv", longClip },
            { "thinned.mkv",
                "-f lavfi -i testsrc2=size=64x48:rate=25:duration=30 -f lavfi -i sine=duration=30 -c:v mpeg4 -c:a mp2 "
                "-vf select=not(eq(mod(n\\,10)\\,5)) -fps_mode:v:0 passthrough" } });
    MakeJob();
    const QString source = ClipsDir() + "/film.mkv";
    ASSERT_TRUE(QFile::copy(ClipsDir() + "/long.mkv", source));
    QFile script(source + ".script");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("copy " + ClipsDir().toUtf8() + "/thinned.mkv\n");
    script.close();
    AddRow(source);
    RunBatch(60000);
    ExpectEnds({ { "every tenth frame lost", "", "", "The output's picture has 675 frames; the source's has 750." } });
}

// Sources whose tracks differ in length, start late or are not all kept, and sources whose header tells no length,
// each through a format of the shipped catalogue with the real encoder.
TEST_F(RowCheckTest, AwkwardGoodSourcesPassThroughTheRealEncoder)
{
    const std::vector<TMade> made = {
        { "unequal.mkv",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=4 -f lavfi -i sine=duration=3 -c:v mpeg4 -c:a aac" },
        { "late.mkv",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=3 -itsoffset 1.5 -f lavfi -i sine=duration=3 "
            "-c:v mpeg4 -c:a aac" },
        { "second sound.mp4",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=3 -f lavfi -i sine=duration=3 -f lavfi "
            "-i sine=duration=10:f=600 -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac" },
        { "no header.mp3", "-f lavfi -i sine=duration=8 -c:a libmp3lame -q:a 4 -write_xing 0" },
        { "raw.aac", "-f lavfi -i sine=duration=8 -c:a aac" },
        { "recording.ts",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=6 -f lavfi -i sine=duration=6 -c:v libx264 -g 50 "
            "-c:a mp2" },
        { "moved on.mkv",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=4 -f lavfi -i sine=duration=4 -c:v mpeg4 -c:a mp2 "
            "-output_ts_offset 10" },
        { "moved on.webm",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=4 -f lavfi -i sine=duration=4 -c:v libvpx "
            "-c:a libvorbis -output_ts_offset 10" },
        { "still picture.mkv",
            "-f lavfi -i color=c=blue:size=64x48:rate=0.5:duration=6 -f lavfi -i sine=duration=6 -c:v mjpeg "
            "-c:a aac" },
        { "interrupted.avi",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=5 -f lavfi -i sine=duration=5 -c:v mpeg4 "
            "-c:a libmp3lame" },
        { "whole.mp4",
            "-f lavfi -i testsrc2=size=64x48:rate=25:duration=6 -f lavfi -i sine=duration=6 -c:v libx264 -g 50 "
            "-c:a aac" },
    };
    MakeAll(ClipsDir(), made);
    ASSERT_TRUE(MakeMedia(ClipsDir() + "/trimmed.mp4", "-ss 1.3 -i \"" + ClipsDir() + "/whole.mp4\" -c copy"));
    QFile interrupted(ClipsDir() + "/interrupted.avi");
    ASSERT_TRUE(interrupted.open(QIODevice::ReadWrite));
    ASSERT_TRUE(interrupted.resize(interrupted.readAll().lastIndexOf("idx1")));
    interrupted.close();
    const QString recording = ClipsDir() + "/recording.ts";
    ASSERT_TRUE(JoinFiles(ClipsDir() + "/tuned in.ts", { recording }, 188 * 200));
    ASSERT_TRUE(JoinFiles(ClipsDir() + "/two recordings.ts", { recording, recording }));
    QFile cues(ClipsDir() + "/cues.srt");
    ASSERT_TRUE(cues.open(QIODevice::WriteOnly));
    cues.write("1\n00:00:00,500 --> 00:00:01,000\nHello\n\n2\n00:00:08,000 --> 00:00:09,000\nStill here\n");
    cues.close();
    ASSERT_TRUE(MakeMedia(ClipsDir() + "/subtitle outlasts.mkv",
        "-f lavfi -i testsrc2=size=64x48:rate=25:duration=3 -f lavfi -i sine=duration=3 -i \"" + ClipsDir()
            + "/cues.srt\" -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac -c:s srt"));
    const std::vector<TCase> cases = {
        { "unequal tracks into sound only", "unequal.mkv", "14", "" },
        { "unequal tracks copied", "unequal.mkv", "21", "" },
        { "late sound copied", "late.mkv", "20", "" },
        { "late sound alone", "late.mkv", "14", "" },
        { "late sound, picture alone", "late.mkv", "12", "" },
        { "subtitle outlasts the picture", "subtitle outlasts.mkv", "2", "" },
        { "subtitle outlasts the picture, sound only", "subtitle outlasts.mkv", "16", "" },
        { "long second sound left out", "second sound.mp4", "4", "" },
        { "long second sound, first kept", "second sound.mp4", "14", "" },
        { "MP3 without a header", "no header.mp3", "16", "" },
        { "raw AAC", "raw.aac", "16", "" },
        { "maps by index, as they stand", "second sound.mp4", "22", "" },
        { "recording tuned in between key frames", "tuned in.ts", "20", "" },
        { "recording tuned in between key frames, copied", "tuned in.ts", "21", "" },
        { "two recordings joined", "two recordings.ts", "2", "" },
        { "two recordings joined, copied", "two recordings.ts", "21", "" },
        { "Matroska whose times start late", "moved on.mkv", "21", "" },
        { "WebM whose times start late", "moved on.webm", "14", "" },
        { "AVI without its index", "interrupted.avi", "2", "" },
        { "AVI without its index, copied", "interrupted.avi", "21", "" },
        { "MP4 whose edit list begins between key frames", "trimmed.mp4", "21", "" },
        { "still picture with sound, AVI", "still picture.mkv", "4", "" },
        { "still picture with sound, DVD", "still picture.mkv", "8", "" },
        { "still picture with sound, phone", "still picture.mkv", "11", "" },
    };
    // The shipped formats, and after them one in the old form that maps tracks by their index.
    QFile shipped(REELHAND_SOURCE_DIR "/resources/command"), catalogue(ProgramDir() + "/command");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly) && catalogue.open(QIODevice::WriteOnly | QIODevice::Truncate));
    catalogue.write(shipped.readAll().replace("</commands>",
        "<command><format>By index</format><params>-n -map 0:0 -map 0:1 -c copy</params><ext>mkv</ext></command>"
        "</commands>"));
    catalogue.close();
    UseEncoder(REELHAND_FFMPEG);
    MakeJob();
    m_job->SetFilesAtOnce(2);
    for (const TCase& test : cases)
        AddRow(ClipsDir() + "/" + test.Source, QString(test.Script).toInt(), ConvertDir() + "/" + test.Name);
    RunBatch(240000);
    ExpectEnds(cases);
}

// What is no video is refused at once, before any encoder, with why: a download the browser made room for and has
// not written yet (zeros, as far as any reader looks), playlists that would pull other files of the user's into the
// output, and a pipe that nobody writes into.
TEST_F(RowCheckTest, WhatIsNoVideoIsRefusedAtOnceWithWhy)
{
    const QString clips = ClipsDir() + "/";
    QFile zeros(clips + "download.mp3");
    ASSERT_TRUE(zeros.open(QIODevice::WriteOnly) && zeros.resize(qint64(2) << 30));
    zeros.close();
    ASSERT_TRUE(MakeMedia(clips + "private diary.ts", "-f lavfi -i testsrc2=size=64x48:rate=25:duration=1"));
    const std::vector<std::pair<QString, QByteArray>> playlists = {
        { "holiday.mp4", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n" + clips.toUtf8() + "private diary.ts\n"
                          "#EXT-X-ENDLIST\n" },
        { "party.mkv", "ffconcat version 1.0\nfile '" + clips.toUtf8() + "private diary.ts'\n" },
    };
    for (const auto& [name, text] : playlists) {
        QFile file(clips + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }
    ASSERT_EQ(::mkfifo((clips + "pipe.avi").toUtf8().constData(), 0600), 0);
    const std::vector<std::pair<const char*, const char*>> refused = {
        { "download.mp3", "The file is not a video or sound file the encoder knows." },
        { "holiday.mp4", "The file is a playlist, not a video: " },
        { "party.mkv", "The file is a playlist, not a video: " },
        { "pipe.avi", "The source is not a plain file." },
    };
    MakeJob();
    for (const auto& [name, reason] : refused)
        AddRow(clips + name);
    QElapsedTimer clock;
    clock.start();
    RunBatch();
    EXPECT_LT(clock.elapsed(), 10000) << "the zeros were read to their end";
    for (std::size_t row = 0; row < refused.size(); ++row)
        EXPECT_TRUE(Row(int(row))->ItemData.Reason.startsWith(refused[row].second))
            << refused[row].first << ": " << Row(int(row))->ItemData.Reason.toStdString();
    EXPECT_TRUE(Runs().empty());
}

// A film whose header is whole and whose room for the rest is not written yet: reading it to its end takes
// minutes. Stop, and the job going away as the window closes, do not wait for that.
TEST_F(RowCheckTest, AStopOrAClosedWindowDoesNotWaitForALongRead)
{
    const QString film = ClipsDir() + "/film.mkv";
    ASSERT_TRUE(MakeMedia(film, longClip));
    ASSERT_TRUE(QFile(film).resize(qint64(100) << 30));
    MakeJob();
    AddRow(film);
    for (const bool closed : { false, true }) {
        SCOPED_TRACE(closed ? "window closed" : "stopped");
        m_job->Start();
        QTest::qWait(1000);
        ASSERT_TRUE(Finished.empty() && Runs().empty()) << "the read is still going on";
        QElapsedTimer clock;
        clock.start();
        if (closed) {
            ResetJob();
        } else {
            m_job->Stop();
            ASSERT_TRUE(WaitUntil([&] { return !Finished.empty(); }, 1000));
            EXPECT_EQ(Row(0)->ItemData.Reason, "Stopped by you.");
        }
        EXPECT_LT(clock.elapsed(), 1000);
        MakeJob();
        AddRow(film);
    }
}

} // namespace
