// What a source says of itself (track titles, chapter names, dates, its file name) reaches the encoder as one word
// each, whatever it holds, and never makes the encoder write anywhere but the program's own private folder.
#include "engine/plan/EncoderPlan.h"
#include "tests/batch/BatchProgram.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace
{

// The words of every run of the recording encoder in program's bin/, its own name left out.
std::vector<QByteArrayList> RecordedRuns(const TBatchProgram& program)
{
    std::vector<QByteArrayList> runs;
    const QDir bin(program.Path() + "/bin");
    for (const QString& name : bin.entryList({ "run.*" }, QDir::Files, QDir::Name)) {
        QFile file(bin.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArrayList words = file.readAll().split('\0');
        words.removeLast();
        runs.push_back(words);
    }
    return runs;
}

// An ffmetadata file's text for value: its special characters escaped, as the encoder's reader wants them.
QByteArray Escaped(const QByteArray& value)
{
    QByteArray text;
    for (char c : value) {
        if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n' || c == '\r')
            text += '\\';
        text += c;
    }
    return text;
}

// Makes path with the real encoder: a picture, a sound track and a subtitle track titled value with a chapter of
// that name (Matroska), or sound dated value (FLAC).
bool MakeSource(const QString& path, const QByteArray& value, const QString& folder)
{
    QFile metadata(folder + "/meta.txt");
    QFile subtitles(folder + "/sub.srt");
    if (!metadata.open(QIODevice::WriteOnly) || !subtitles.open(QIODevice::WriteOnly))
        return false;
    metadata.write(";FFMETADATA1\ntitle=" + Escaped(value) + "\ncreation_time=" + Escaped(value)
        + "\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1000\ntitle=" + Escaped(value) + "\n");
    subtitles.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n");
    metadata.close();
    subtitles.close();
    QStringList arguments = { "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i", "sine=duration=1", "-i",
        metadata.fileName() };
    if (path.endsWith(".flac")) {
        arguments << "-map" << "0" << "-map_metadata" << "1";
    } else {
        arguments << "-f" << "lavfi" << "-i" << "testsrc=duration=1:rate=10:size=64x48" << "-i" << subtitles.fileName()
                  << "-map" << "2" << "-map" << "0" << "-map" << "3" << "-map_metadata:s:a" << "1"
                  << "-map_metadata:s:s" << "1" << "-map_chapters" << "1" << "-c:v" << "mpeg4";
    }
    QProcess ffmpeg;
    ffmpeg.start(REELHAND_FFMPEG, arguments << "-y" << path);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

} // namespace

TEST(BatchHostileTags, EveryValueOfASourceIsOneWordAndNothingIsWrittenElsewhere)
{
    TBatchProgram program(true);
    const QString outside = program.Folder("outside");
    const QString out = program.Folder("out");
    // The encoder as before, but every run's words are kept, one file a run.
    const QString recorder = program.Path() + "/bin/ffmpeg";
    ASSERT_TRUE(QFile::remove(recorder));
    QFile script(recorder);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$(mktemp \"$(dirname \"$0\")/run.XXXXXX\")\"\nexec '"
        + QByteArray(REELHAND_FFMPEG) + "' \"$@\"\n");
    script.close();
    ASSERT_TRUE(script.setPermissions(script.permissions() | QFile::ExeOwner));

    const QByteArray values[] = {
        "English\n-c:s\nsrt\n-f\ntee\n[f=srt:select=s]" + outside.toUtf8() + "/bashrc",
        "x\r" + outside.toUtf8() + "/elsewhere.mp4",
        "-y",
        QByteArray(100 * 1024, 'a'),
    };
    QStringList videos = { "--convert", "--format", "0", "--output", out };
    QStringList sounds = { "--convert", "--format", "15", "--output", out };
    for (std::size_t i = 0; i < std::size(values); ++i) {
        videos << program.Folder("clips") + QString("/%1.mkv").arg(i);
        sounds << program.Folder("clips") + QString("/%1.flac").arg(i);
        ASSERT_TRUE(MakeSource(videos.last(), values[i], program.Folder("clips")));
        ASSERT_TRUE(MakeSource(sounds.last(), values[i], program.Folder("clips")));
    }
    // A file name that reads as options where a command line is split again.
    videos << program.Folder("clips") + "/-f\ntee\n-y clip.mkv";
    ASSERT_TRUE(QFile::copy(videos[5], videos.last()));

    const TBatchProgram::TResult picture = program.Run(videos);
    const TBatchProgram::TResult sound = program.Run(sounds);

    EXPECT_EQ(picture.ExitCode, 0) << picture.Out.toStdString() << picture.Err.toStdString();
    EXPECT_EQ(sound.ExitCode, 0) << sound.Out.toStdString() << sound.Err.toStdString();
    EXPECT_EQ(FilesIn(outside), QStringList());
    EXPECT_EQ(FilesIn(out),
        QStringList({ "-f\ntee\n-y clip.mp4", "0.m4a", "0.mp4", "1.m4a", "1.mp4", "2.m4a", "2.mp4", "3.m4a", "3.mp4" }));
    const std::vector<QByteArrayList> runs = RecordedRuns(program);
    ASSERT_EQ(runs.size(), 2 * std::size(values) + 1);
    for (const QByteArrayList& words : runs) {
        const QByteArray source = words.value(3);
        ASSERT_EQ(words.mid(0, 3), (QByteArrayList { "-f", source.endsWith(".flac") ? "flac" : "matroska", "-i" }));
        EXPECT_TRUE(words.last().endsWith(source.endsWith(".flac") ? "/output.m4a" : "/output.mp4"));
        if (source.endsWith("clip.mkv"))
            continue;
        const QByteArray value = values[source.mid(source.lastIndexOf('/') + 1, 1).toInt()].left(MaxSourceValue);
        if (source.endsWith(".flac")) {
            EXPECT_EQ(words.count("creation_time=" + value), 1) << source.toStdString();
        } else {
            // The sound track's title and the subtitle track's.
            EXPECT_EQ(words.count("handler_name=" + value), 2) << source.toStdString();
        }
    }
}
