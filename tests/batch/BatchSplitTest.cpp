// One file cut at its keyframes, its pieces encoded side by side and joined, through reelhand-convert with the
// real encoder: the result must hold every frame of the source at the source's time, with the sound in step.
#include "tests/batch/BatchProgram.h"
#include "tests/support/Clips.h"
#include "tests/support/LoggedEncoder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

namespace
{

// Sources of four seconds at 25 frames a second, with sound unless told otherwise, made once for every case.
struct TSource {
    const char* File;
    QStringList Picture;
};
const TSource sources[] = {
    // H.264 with B-frames in MP4: frames stored out of showing order, times shifted by an edit list.
    { "bframes.mp4", { "-c:v", "libx264", "-bf", "3", "-g", "25", "-c:a", "aac" } },
    // MPEG-2 with open GOPs: the frames before each keyframe's time come after it and lean on the GOP before.
    { "opengop.mkv", { "-c:v", "mpeg2video", "-bf", "2", "-g", "12", "-c:a", "mp2" } },
    // Keyframes 2.4 s apart: three pieces asked for, two possible.
    { "sparse.mp4", { "-c:v", "libx264", "-g", "60", "-keyint_min", "60", "-sc_threshold", "0", "-c:a", "aac" } },
    // Recordings whose containers keep no index of keyframes: a transport stream and a program stream.
    { "recording.ts", { "-c:v", "libx264", "-bf", "3", "-g", "25", "-c:a", "mp2" } },
    { "recording.mpg", { "-c:v", "mpeg2video", "-bf", "2", "-g", "12", "-c:a", "mp2" } },
    // Files that give no frame times, whose frames a conversion numbers anew: converted whole.
    { "bframes.avi", { "-c:v", "libx264", "-bf", "3", "-g", "25", "-c:a", "pcm_s16le" } },
    { "bframes.h264", { "-c:v", "libx264", "-bf", "3", "-g", "25", "-an" } },
    // A film with chapters, which the pieces must not take: they come with the rest.
    { "chapters.mkv",
        { "-f", "ffmetadata", "-i", "CHAPTERS", "-map", "0", "-map", "1", "-map_chapters", "2", "-c:v", "libx264", "-g",
            "25", "-c:a", "aac" } },
};

QString SourcePath(const TSource& source)
{
    static QTemporaryDir folder;
    const QString path = folder.path() + "/" + source.File;
    if (QFile::exists(path))
        return path;
    QFile chapters(folder.path() + "/chapters.txt");
    if (chapters.open(QIODevice::WriteOnly))
        chapters.write(";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2000\ntitle=One\n[CHAPTER]\n"
                       "TIMEBASE=1/1000\nSTART=2000\nEND=4000\ntitle=Two\n");
    chapters.close();
    QStringList picture = source.Picture;
    picture.replaceInStrings(QRegularExpression("^CHAPTERS$"), chapters.fileName());
    QProcess ffmpeg;
    ffmpeg.start(REELHAND_FFMPEG,
        QStringList { "-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc2=duration=4:rate=25:size=160x120", "-f",
            "lavfi", "-i", "sine=duration=4:frequency=440" }
            + picture + QStringList { path });
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0 ? path : QString();
}

struct TCase {
    std::size_t Source;
    int Format;
    int Pieces;
    int Made; // 0: converted whole
};

class BatchSplit : public ::testing::TestWithParam<TCase>
{
};

} // namespace

TEST_P(BatchSplit, KeepsEveryFrameAtItsTimeAndTheSoundInStep)
{
    const TCase& row = GetParam();
    const QString source = SourcePath(sources[row.Source]);
    ASSERT_FALSE(source.isEmpty());
    TBatchProgram program(true, true);
    const QString log = WrapRealEncoder(program.Path() + "/bin/ffmpeg");
    const QString out = program.Folder("out");

    const TBatchProgram::TResult result = program.Run({ "--format", QString::number(row.Format), "--output", out,
        "--split", QString::number(row.Pieces), "--jobs", "2", source });

    ASSERT_EQ(result.ExitCode, 0) << result.Out.toStdString() << result.Err.toStdString();
    const QStringList runs = LoggedRuns(log);
    EXPECT_EQ(runs.filter(QRegularExpression("^start .*piece-\\d\\.nut")).size(), row.Made);
    const int share = std::max(1, QThread::idealThreadCount() / 2);
    EXPECT_EQ(runs.filter(QRegularExpression(QString("^start .*-threads:v:0 %1 .*piece-").arg(share))).size(), row.Made)
        << "each piece's encoder takes its share of the processors";
    if (row.Made > 0)
        EXPECT_LT(LoggedLineOf(runs, "start piece-2.nut"), LoggedLineOf(runs, "end piece-1.nut")) << "two at once";
    else
        EXPECT_EQ(runs.filter(QRegularExpression("^start ")).size(), 1) << "one run";
    const QStringList made = QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    ASSERT_EQ(made.size(), 1) << made.join(' ').toStdString() << ": nothing but the output is left";
    const QString output = out + "/" + made.first();

    // Times from the first frame: WebM starts the picture where the sound encoder's delay ends.
    const QList<double> wanted = FrameTimes(source, "v", "frame=best_effort_timestamp_time");
    const QList<double> got = FrameTimes(output, "v");
    ASSERT_EQ(got.size(), wanted.size()) << "no frame lost or doubled";
    // Where the file gives no times, frame N is shown at N frames' time from the start.
    const bool timed = std::none_of(wanted.begin(), wanted.end(), [](double time) { return qIsNaN(time); });
    const double first = timed ? wanted.first() : 0;
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i] - got.first(), timed ? wanted[i] - first : i / 25.0, 0.0011) << "frame " << i;
    const QList<double> sound = FrameTimes(output, "a");
    const QList<double> sourceSound = FrameTimes(source, "a");
    ASSERT_EQ(sound.isEmpty(), sourceSound.isEmpty());
    if (!sound.isEmpty()) {
        EXPECT_NEAR(sound.first() - got.first(), sourceSound.first() - first, 0.04) << "in step within a frame";
        EXPECT_NEAR(sound.last() - got.first(), sourceSound.last() - first, 0.04) << "to the end";
    }
    EXPECT_EQ(DecodeErrors(output), "");
}

INSTANTIATE_TEST_SUITE_P(PiecesOfOneFile, BatchSplit,
    ::testing::Values(TCase { 0, 0, 2, 2 }, TCase { 0, 3, 3, 3 }, TCase { 1, 0, 3, 3 }, TCase { 1, 3, 2, 2 },
        TCase { 2, 0, 3, 2 }, TCase { 2, 3, 2, 2 }, TCase { 3, 0, 2, 2 }, TCase { 4, 3, 3, 3 }, TCase { 5, 0, 2, 0 },
        TCase { 6, 0, 2, 0 }, TCase { 7, 0, 2, 2 }));

TEST(BatchSplitFailure, APieceThatFailsFailsTheRowWithItsReasonAndLeavesNothing)
{
    const QString source = SourcePath(sources[0]);
    ASSERT_FALSE(source.isEmpty());
    TBatchProgram program(true, true);
    WrapRealEncoder(program.Path() + "/bin/ffmpeg", "piece-2.nut");
    const QString out = program.Folder("out");

    const TBatchProgram::TResult result
        = program.Run({ "--format", "0", "--output", out, "--split", "3", "--jobs", "2", "--quiet", source });

    EXPECT_EQ(result.ExitCode, 1) << result.Out.toStdString() << result.Err.toStdString();
    EXPECT_TRUE(result.Out.contains("Piece 2 of 3 of the picture: ")) << result.Out.toStdString();
    EXPECT_TRUE(result.Out.contains("Input/output error")) << result.Out.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST(BatchConvertProgram, NeedsNoLibraryOfTheWindow)
{
    QProcess readelf;
    readelf.start("readelf", { "-d", REELHAND_CONVERT_EXECUTABLE });
    ASSERT_TRUE(readelf.waitForFinished(60000));
    const QString needed = QString::fromUtf8(readelf.readAllStandardOutput());
    EXPECT_TRUE(needed.contains("libQt6Core")) << needed.toStdString();
    for (const char* library : { "libQt6Gui", "libQt6Widgets", "libQt6DBus", "libGL", "libEGL", "libX11", "libxcb" })
        EXPECT_FALSE(needed.contains(library)) << library;
}
