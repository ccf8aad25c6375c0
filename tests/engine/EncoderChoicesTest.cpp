// What a row's size, quality and sound make of the shipped catalogue's entries and of entries users write, and what
// the real encoder makes of those words.
#include "engine/DosCommand.h"
#include "engine/plan/EncoderPlan.h"
#include "engine/commandManager.h"
#include "toolkit/Application.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

using Q = TQualityChoice;
using S = TSoundChoice;

TMediaInfo Source(
    int width, int height, int channels, const char* picture = "h264", const char* sound = "aac", double rotation = 0)
{
    TMediaInfo source;
    TStreamInfo video;
    video.Kind = TStreamKind::Video;
    video.Codec = picture;
    video.Width = width;
    video.Height = height;
    video.Rotation = rotation;
    TStreamInfo audio;
    audio.Kind = TStreamKind::Audio;
    audio.Codec = sound;
    audio.Channels = channels;
    source.Streams = { video, audio };
    return source;
}

const TMediaInfo fullHd = Source(1920, 1080, 2);

struct Case {
    int Format; // a shipped entry, or -1 for Params in the old form
    const char* Params;
    TEncoderChoices Choices;
    TMediaInfo Source;
    // Pieces of the planned words as the runner shows them, a note's start after "note: ", or the error's start
    // after "error: ".
    std::vector<std::string> Expected;
};

const Case cases[] = {
    // H.264: the entry's own scale and CRF are rewritten; the sound's rate follows the quality.
    { 0, "", { 720 }, fullHd, { "-filter:v:0 scale=1280:720", "-crf 23" } },
    { 0, "", { 0, Q::Smaller }, fullHd, { "-crf 28", "-b:a 96k", "-b:a:0 96000" } },
    { 0, "", { 0, Q::AsFormat, S::Stereo }, Source(1920, 1080, 6), { "-ac 2", "-b:a:0 160000" } },
    { 0, "", { 720 }, Source(1920, 1080, 2, "h264", "aac", 90), { "-filter:v:0 scale=720:1280" } },
    { 0, "", { 720 }, Source(854, 480, 2), { "-filter:v:0 scale=ceil(iw/2)*2:ceil(ih/2)*2" } },
    { 1, "", { 0, Q::Higher }, fullHd, { "-crf 22", "-b:a 192k" } },
    // VP9: CRF with the bit rate 0; an entry without a scale gets one.
    { 3, "", { 480, Q::Smaller }, fullHd, { "-crf 40 -b:v 0", "-filter:v:0 scale=854:480" } },
    // MPEG-4 and MP3 by q scale, WMV by bit rate, Theora and Vorbis by their own scales.
    { 4, "", { 0, Q::Smaller }, fullHd, { "-q:v 8", "-q:a 6" } },
    { 10, "", { 0, Q::Smaller, S::Mono }, fullHd, { "-b:v 1200k", "-b:a 96k", "-ac 1" } },
    { 13, "", { 0, Q::Higher }, fullHd, { "-q:v 9", "-q:a 6" } },
    { 14, "", { 0, Q::Smaller }, fullHd, { "-q:a 6" } },
    // A fixed frame fits or cannot be reworked; lossless formats have no quality to choose.
    { 8, "", { 720 }, fullHd, { "scale='if(gt(dar,16/9)" } },
    { 8, "", { 480 }, fullHd,
        { "error: The choice \"at most 480 lines\" cannot be applied to this format: it pads every picture to a "
          "frame of 720x576." } },
    { 12, "", { 480, Q::Smaller }, Source(1080, 1920, 0), { "scale=320:-1:flags=lanczos", "note: The choice" } },
    { 17, "", { 0, Q::Smaller, S::Stereo }, fullHd, { "-ac 2", "note: The choice \"smaller files\" changes nothing" } },
    // A same-quality copy becomes a conversion only where a choice changes the track.
    { 20, "", { 720 }, fullHd, { "-filter:v:0 scale=1280:720", "note: The picture is converted, not copied" } },
    { 20, "", { 1080, Q::Higher, S::Stereo }, fullHd, { "-c:v:0 copy", "-c:a:0 copy" } },
    { 21, "", { 0, Q::AsFormat, S::Stereo }, Source(1920, 1080, 6, "h264", "ac3"),
        { "-c:v:0 copy", "note: Track 2 (sound) is converted, not copied: it has 6 channels" } },
    // Entries users write.
    { -1, "-vf scale=-2:720 -c:v libx264 -crf 26", { 480 }, fullHd, { "-vf scale=854:480 -c:v libx264 -crf 26" } },
    { -1, "-c:v libx264 -s 1280x720", { 480, Q::Standard }, fullHd, { "-s 854x480 -crf 23" } },
    { -1, "-vf scale=1280:720:force_original_aspect_ratio=decrease:flags=bicubic", { 480 }, Source(1440, 1080, 2),
        { "-vf scale=640:480:flags=bicubic" } },
    { -1, "-c:v h264_nvenc", { 0, Q::Smaller }, fullHd, { "error: The choice \"smaller files\"" } },
    { -1, "-c copy", { 720 }, fullHd, { "error: The choice \"at most 720 lines\"" } },
    { -1, "-c:v libx264 -x264-params crf=20", { 0, Q::Higher }, fullHd, { "error: The choice \"higher quality\"" } },
    { -1, "-vf crop=640:480,scale=320:240", { 480 }, fullHd, { "error: The choice \"at most 480 lines\"" } },
};

int Count(const std::string& text, const std::string& piece)
{
    int count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

TEST(EncoderChoices, RewriteTheEntrysOwnOptionsForEveryEncoder)
{
    Application->SetProgramFolder(REELHAND_SOURCE_DIR "/resources");
    TCommandManager catalogue;
    for (const Case& test : cases) {
        TEncoderTask task;
        task.Params = test.Format < 0 ? test.Params : catalogue.GetParams(test.Format);
        task.Plan = test.Format < 0 ? "" : catalogue.GetPlan(test.Format);
        task.OutputName = "clip." + (test.Format < 0 ? std::string("mkv") : catalogue.GetExt(test.Format));
        task.Choices = test.Choices;
        SCOPED_TRACE(std::to_string(test.Format) + " " + test.Params + " -> " + ChoicesText(test.Choices));
        std::string words, notes, error;
        try {
            const TEncoderPlan plan = PlanEncoding(task, test.Source);
            words = JoinCommandLine(plan.Arguments);
            for (const std::string& note : plan.Notes)
                notes += "note: " + note + "\n";
        } catch (const EChoiceError& failure) {
            error = "error: " + failure.Message();
        }
        for (const std::string& piece : test.Expected)
            EXPECT_NE((words + "\n" + notes + error).find(piece), std::string::npos) << piece << " in\n"
                                                                                     << words << notes << error;
        // Rewritten, never given twice.
        for (const char* option : { "-crf ", "scale=", "-ac ", "-q:v ", "-vf " })
            EXPECT_LE(Count(words, option), 1) << option << " in " << words;
    }
    Application->SetProgramFolder(QString());
}

// Real clips through format 0 with each kind of choice, read back by the probe.
TEST(EncoderChoices, TheEncoderMakesWhatWasChosen)
{
    Application->SetProgramFolder(REELHAND_SOURCE_DIR "/resources");
    TCommandManager catalogue;
    QTemporaryDir dir;
    const auto run = [](const QStringList& arguments) {
        QProcess ffmpeg;
        ffmpeg.start(REELHAND_FFMPEG, QStringList { "-nostdin", "-v", "error" } + arguments);
        return ffmpeg.waitForFinished(300000) && ffmpeg.exitCode() == 0;
    };
    const auto make = [&](const QString& name, const QString& size) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(run({ "-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=10:duration=2", "-f", "lavfi", "-i",
            "sine=d=2", "-ac", "6", "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac", path }));
        return path.toStdString();
    };
    const std::string wide = make("wide.mkv", "1280x720");
    struct Encode {
        std::string Source;
        TEncoderChoices Choices;
        int Width, Height, Channels;
    };
    const Encode encodes[] = {
        { wide, {}, 1280, 720, 6 },
        { wide, { 480 }, 854, 480, 6 },
        { wide, { 0, Q::Smaller }, 1280, 720, 6 },
        { wide, { 0, Q::AsFormat, S::Stereo }, 1280, 720, 2 },
        // Never enlarged, and the shorter side counts.
        { make("portrait.mkv", "720x1280"), { 480 }, 480, 854, 6 },
        { make("480.mkv", "854x480"), { 720 }, 854, 480, 6 },
    };
    std::vector<qint64> sizes;
    for (const Encode& encode : encodes) {
        SCOPED_TRACE(encode.Source + " " + ChoicesText(encode.Choices));
        TEncoderTask task { encode.Source, "", "out.mp4", catalogue.GetParams(0), catalogue.GetPlan(0),
            encode.Choices };
        const std::string out = dir.filePath(QString::number(sizes.size()) + ".mp4").toStdString();
        const TEncoderPlan plan = PlanEncoding(task, ProbeMedia(encode.Source));
        QStringList arguments;
        for (const std::string& word : EncoderArguments("", encode.Source, plan.Arguments, out))
            arguments << QString::fromStdString(word);
        ASSERT_TRUE(run(arguments.mid(1)));
        const TMediaInfo made = ProbeMedia(out);
        ASSERT_EQ(made.Streams.size(), 2u);
        EXPECT_EQ(made.Streams[0].Width, encode.Width);
        EXPECT_EQ(made.Streams[0].Height, encode.Height);
        EXPECT_EQ(made.Streams[1].Channels, encode.Channels);
        sizes.push_back(QFileInfo(QString::fromStdString(out)).size());
    }
    // The same two seconds at "smaller" take fewer bits.
    EXPECT_LT(sizes[2], sizes[0] * 0.8);
    Application->SetProgramFolder(QString());
}

} // namespace
