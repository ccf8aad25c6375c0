// The job with the real encoder and the shipped catalogue, on a list control shown offscreen.
#include "tests/engine/CommandFixture.h"

#include <QProcess>

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

    // A half-second 64x48 clip with sound.
    QString MakeClip(const QString& name)
    {
        QString path = ClipsDir() + "/" + name;
        QProcess ffmpeg;
        ffmpeg.start(REELHAND_FFMPEG,
            { "-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=0.5", "-f", "lavfi",
                "-i", "sine=duration=0.5", "-c:v", "mpeg4", "-c:a", "pcm_s16le", "-shortest", path });
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
    QString notVideo = Clip("notes.avi", "this is not a video\n");
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

TEST_F(CommandEncoderTest, OutputThatAppearsAfterTheNameWasChosenFailsInsteadOfHangingOrOverwriting)
{
    QString clip = MakeClip("clash.avi");
    // Someone else creates the chosen output just before the encoder opens it.
    QString wrapper = ProgramDir() + "/latecomer.sh";
    QFile script(wrapper);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(
        "#!/bin/sh\nfor last; do :; done\nprintf 'not yours' > \"$last\"\nexec '" REELHAND_FFMPEG "' \"$@\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    UseEncoder(wrapper);
    MakeJob();
    AddRow(clip);
    AddRow(MakeClip("after.avi"));

    RunBatch(60000);

    EXPECT_EQ(States(), (std::vector<int> { Failed, Failed }));
    EXPECT_EQ(Finished, (std::vector<bool> { false }));
    QFile kept(OutputFor(ConvertDir() + "/", clip));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "not yours");
}

} // namespace
