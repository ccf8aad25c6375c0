// The job with the real encoder and the shipped catalogue, on a list control shown offscreen.
#include "list/treeManager.h"
#include "tests/engine/CommandFixture.h"

#include <QProcess>
#include <QRegularExpression>

namespace
{

class CommandEncoderTest : public CommandFixture
{
protected:
    void SetUp() override
    {
        CommandFixture::SetUp();
        UseEncoder(REELHAND_FFMPEG);
        QFile::remove(ProgramDir() + "/command");
        ASSERT_TRUE(QFile::copy(REELHAND_SOURCE_DIR "/resources/command", ProgramDir() + "/command"));
    }

    // A 64x48 clip with sound, half a second long unless told otherwise.
    QString MakeClip(const QString& name, const QString& seconds = "0.5")
    {
        QString path = ClipsDir() + "/" + name;
        QProcess ffmpeg;
        ffmpeg.start(REELHAND_FFMPEG,
            { "-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=" + seconds, "-f",
                "lavfi", "-i", "sine=duration=" + seconds, "-c:v", "mpeg4", "-c:a", "pcm_s16le", "-shortest", path });
        EXPECT_TRUE(ffmpeg.waitForFinished(30000));
        EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
        return path;
    }

    // width x height of the first video stream, empty when the file is no readable video.
    static QString Probe(const QString& path)
    {
        QProcess ffprobe;
        ffprobe.start(REELHAND_FFPROBE,
            { "-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height", "-of", "csv=p=0:s=x",
                path });
        if (!ffprobe.waitForFinished(30000) || ffprobe.exitCode() != 0)
            return QString();
        return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed();
    }

    QString OutputFor(const QString& folder, const QString& source)
    {
        QString name = source.mid(source.lastIndexOf('/') + 1);
        return folder + name.left(name.lastIndexOf('.')) + "." + QString::fromStdString(CommandManager->GetExt(0));
    }
};

TEST_F(CommandEncoderTest, ConvertsClipsSkipsANonVideoAndCopesWithAwkwardNames)
{
    QDir(m_root.path()).mkpath("out");
    QString outFolder = m_root.path() + "/out/";
    QString first = MakeClip("first.avi");
    QString notVideo = ClipsDir() + "/notes.avi";
    QFile notes(notVideo);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("this is not a video\n");
    notes.close();
    QString awkward = MakeClip(QString::fromUtf8(R"(my "best" Grüße 日本.avi)"));
    QString last = MakeClip("last.avi");
    MakeJob();
    ASSERT_GT(m_catalogue->Formats().size(), 0u);
    m_list->show();
    AddRow(first);
    AddRow(notVideo);
    AddRow(awkward, 0, outFolder);
    AddRow(last);

    RunBatch(120000);

    EXPECT_EQ(States(), (std::vector<int> { Done, Failed, Done, Done }));
    EXPECT_EQ(Progress, (std::vector<int> { 25, 50, 75, 100 }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    EXPECT_EQ(Probe(OutputFor(ConvertDir() + "/", first)), "64x48");
    EXPECT_EQ(Probe(OutputFor(outFolder, awkward)), "64x48");
    EXPECT_EQ(Probe(OutputFor(ConvertDir() + "/", last)), "64x48");
    EXPECT_FALSE(QFile::exists(OutputFor(ConvertDir() + "/", notVideo)));
}

// Someone else makes a file under the wanted name while the encoder runs: it stays theirs, and the finished file
// takes the next free name.
TEST_F(CommandEncoderTest, OutputThatAppearsWhileTheEncoderRunsKeepsItsNameAndTheRowTakesTheNext)
{
    QString clip = MakeClip("clash.avi");
    // The catalogue names the output's extension, so it is read first.
    MakeJob();
    QString wanted = OutputFor(ConvertDir() + "/", clip);
    QString wrapper = ProgramDir() + "/latecomer.sh";
    QFile script(wrapper);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\nprintf 'not yours' > '" + wanted + "'\nexec '" REELHAND_FFMPEG "' \"$@\"\n").toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    UseEncoder(wrapper);
    AddRow(clip);

    RunBatch(60000);

    EXPECT_EQ(States(), (std::vector<int> { Done }));
    QFile kept(wanted);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "not yours");
    EXPECT_EQ(Made(0), QString(wanted).replace(".mp4", "_2.mp4"));
}

} // namespace

namespace
{

TEST_F(CommandEncoderTest, TheConvertingRowsHintTellsHowFarTheEncoderIsAndHowLongItStillTakes)
{
    QString clip = MakeClip("steady.avi", "6");
    // The realtime filter holds the encoder to the clip's own pace, so the run lasts about six seconds.
    WriteCatalogue({ { "Steady", "-nostdin -n -hide_banner -vf realtime -c:v mpeg4 -an", "avi" } });
    MakeJob();
    TTreeManager model(m_list.get());
    PVirtualNode row = AddRow(clip);
    const QString head = model.HintText(row);

    struct Sample {
        int Percent;
        int SecondsLeft;
    };
    std::vector<Sample> samples;
    const QRegularExpression line("\\n\\[progress\\]: (\\d+) %, about (\\d\\d):(\\d\\d):(\\d\\d) left$");
    QString hint;
    bool headKept = true;
    m_job->Start();
    ASSERT_TRUE(WaitUntil(
        [&] {
            hint = model.HintText(row);
            QRegularExpressionMatch match = line.match(hint);
            headKept = headKept && hint.startsWith(head);
            if (match.hasMatch() && (samples.empty() || samples.back().Percent != match.captured(1).toInt()))
                samples.push_back({ match.captured(1).toInt(),
                    match.captured(2).toInt() * 3600 + match.captured(3).toInt() * 60 + match.captured(4).toInt() });
            return !Finished.empty();
        },
        60000));

    ASSERT_GE(samples.size(), 3u) << hint.toStdString();
    EXPECT_LE(samples.front().Percent, 35);
    EXPECT_GE(samples.back().Percent, 65);
    EXPECT_GT(samples.front().SecondsLeft, samples.back().SecondsLeft);
    for (size_t i = 1; i < samples.size(); ++i)
        EXPECT_GT(samples[i].Percent, samples[i - 1].Percent);
    // The first lines stay as they were all along; the finished row has no progress line but names its file.
    EXPECT_TRUE(headKept);
    EXPECT_EQ(State(0), Done);
    EXPECT_EQ(model.HintText(row), head + "\n[output]: " + Made(0));
}

} // namespace
