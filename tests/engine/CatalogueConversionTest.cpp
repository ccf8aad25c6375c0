#include "engine/DosCommand.h"
#include "tests/support/Clips.h"
#include "engine/plan/EncoderPlan.h"
#include "engine/plan/EncoderTask.h"
#include "engine/media/OutputCheck.h"
#include "engine/command.h"
#include "engine/commandManager.h"
#include "toolkit/Application.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace
{

enum class Kind { Video, Gif, Audio };

// What each shipped entry makes, by index: stored list files name formats by their position, so an entry that
// moves breaks them.
struct Target {
    const char* Ext;
    const char* Container; // ffprobe's format_name
    const char* Brand; // the MP4 family's major brand; empty for other containers
    Kind Type;
    bool EvenSize = false; // a 4:2:0 encoder that refuses odd frame sizes
    int Width = 0; // a fixed frame (DVD players, old phones); 0 keeps the source's shape
    int Height = 0;
    const char* Rate = nullptr;
    bool Tracks = false; // every sound and subtitle track the container takes
    const char* Copies = ""; // the codecs copied bit for bit, "*" for whatever the container takes
};

const char* const iso = "mov,mp4,m4a,3gp,3g2,mj2";
const char* const mp4Copies = "h264 hevc av1 mpeg4 aac mp3 ac3 eac3";
const Target targets[] = {
    { "mp4", iso, "isom", Kind::Video, true, 0, 0, nullptr, true },
    { "mp4", iso, "isom", Kind::Video, true, 0, 0, nullptr, true },
    { "mkv", "matroska,webm", "", Kind::Video, true, 0, 0, nullptr, true },
    { "webm", "matroska,webm", "", Kind::Video, false, 0, 0, nullptr, true },
    { "avi", "avi", "", Kind::Video },
    { "flv", "flv", "", Kind::Video, true },
    { "flv", "flv", "", Kind::Video },
    { "mov", iso, "qt", Kind::Video, true, 0, 0, nullptr, true },
    { "mpg", "mpeg", "", Kind::Video, true, 720, 576, "25/1" },
    { "mpg", "mpeg", "", Kind::Video, true, 720, 480, "30000/1001" },
    { "wmv", "asf", "", Kind::Video, true },
    { "3gp", iso, "3gp4", Kind::Video, true, 176, 144, "15/1" },
    { "gif", "gif", "", Kind::Gif },
    { "ogv", "ogg", "", Kind::Video },
    { "mp3", "mp3", "", Kind::Audio },
    { "m4a", iso, "M4A", Kind::Audio },
    { "wav", "wav", "", Kind::Audio },
    { "flac", "flac", "", Kind::Audio },
    { "ogg", "ogg", "", Kind::Audio },
    { "opus", "ogg", "", Kind::Audio },
    // A copied picture keeps its odd size.
    { "mp4", iso, "isom", Kind::Video, false, 0, 0, nullptr, true, mp4Copies },
    { "mkv", "matroska,webm", "", Kind::Video, false, 0, 0, nullptr, true, "*" },
};

// The kinds of file people bring, each made by "ffmpeg -nostdin -v error MAKE FILE" in the sources' folder and
// under a second long. Shown is the picture's size as a player shows it (after a phone's rotation), invalid
// without a picture. The test pictures come in odd sizes only in RGB; in YUV the generator rounds them to even.
struct Source {
    const char* File;
    const char* Make;
    QSize Shown;
    bool Audio;
    int Sounds = 1;
    int TextSubtitles = 0;
    int BitmapSubtitles = 0;
    int Attachments = 0;
    bool Cover = false;
    int ReorderedFrames = 0; // a picture of so many frames stored out of display order in a file without times
    bool VariableRate = false; // frames that come at times no constant rate gives
    bool Video() const { return Shown.isValid(); }
    double Aspect() const { return double(Shown.width()) / Shown.height(); }
};

const Source sources[] = {
    { "odd size 29.97 stereo.avi",
        "-f lavfi -i testsrc2=size=321x241:rate=30000/1001:duration=1,format=rgb24 -f lavfi -i sine=r=44100:d=1 "
        "-ac 2 -c:v mpeg4 -c:a pcm_s16le",
        { 321, 241 }, true },
    { "phone rotated 59.94 mono timecode.mov",
        "-i landscape.mov -map 0 -c copy -metadata:s:v:0 rotate=90 -movflags use_metadata_tags", { 180, 320 }, true },
    // Full red throughout, so that no edge of so small a picture passes for padding.
    { "tiny silent.mkv", "-f lavfi -i testsrc2=size=7x5:rate=25:duration=1,lutrgb=r=255 -pix_fmt yuv420p -c:v ffv1",
        { 7, 5 }, false },
    { "4K 10-bit 5.1.mp4",
        "-f lavfi -i testsrc2=size=3840x2160:rate=25:duration=0.08 -f lavfi -i sine=r=48000:d=0.08 -ac 6 "
        "-pix_fmt yuv420p10le -c:v libx264 -preset ultrafast -c:a aac",
        { 3840, 2160 }, true },
    { "10-bit 422 23.976 5.1 24-bit.mov",
        "-f lavfi -i testsrc2=size=320x240:rate=24000/1001:duration=1 -f lavfi -i sine=r=48000:d=1 -ac 6 "
        "-pix_fmt yuv422p10le -c:v prores_ks -profile:v 3 -c:a pcm_s24le",
        { 320, 240 }, true },
    { "444 7.1 96 kHz float.mkv",
        "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi -i sine=r=96000:d=1 -ac 8 -pix_fmt yuv444p "
        "-c:v libx264 -preset ultrafast -c:a pcm_f32le",
        { 320, 240 }, true },
    { "alpha mono 8 kHz.mov",
        "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi -i sine=r=8000:d=1 -pix_fmt yuva444p10le "
        "-c:v prores_ks -profile:v 4444 -c:a pcm_s16le",
        { 320, 240 }, true },
    { "variable rate with extra tracks.mkv",
        "-f lavfi -i testsrc2=size=320x240:rate=30:duration=1 -f lavfi -i sine=r=48000:d=1 -f lavfi -i "
        "sine=r=48000:d=1:f=600 -i subs.srt -i subs.sup -filter_complex "
        "\"[0:v]setpts='(N*40+mod(N\\,3)*15)/1000/TB',format=yuv420p[v];[1:a]aformat=channel_layouts=stereo[a1];"
        "[2:a]aformat=channel_layouts=5.1[a2]\" -map [v] -map [a1] -map [a2] -map 3 -map 4 -fps_mode vfr "
        "-c:v libx264 -preset ultrafast -c:a:0 pcm_s32le -c:a:1 ac3 -c:s:0 srt -c:s:1 copy -attach notes.txt "
        "-metadata:s:t mimetype=text/plain",
        { 320, 240 }, true, 2, 1, 1, 1, false, 0, true },
    // A phone that slows down in poor light: ten frames at half its rate, amid frames at its full rate.
    { "phone variable rate.mp4",
        "-f lavfi -i testsrc2=size=160x90:rate=30:duration=1 -f lavfi -i sine=r=48000:d=1.3 -vf "
        "\"setpts='(N+clip(N-10\\,0\\,10))/30/TB',format=yuv420p\" -fps_mode passthrough -c:v libx264 -preset "
        "ultrafast -c:a aac",
        { 160, 90 }, true, 1, 0, 0, 0, false, 0, true },
    { "portrait still.png", "-f lavfi -i testsrc2=size=199x333:rate=1,format=rgba -frames:v 1", { 199, 333 }, false },
    { "7.1 192 kHz 32-bit.wav", "-f lavfi -i sine=r=192000:d=0.5 -ac 8 -c:a pcm_s32le", {}, true },
    { "film in two languages.mkv",
        "-f lavfi -i testsrc2=size=160x90:rate=25:duration=1 -f lavfi -i sine=r=48000:d=1 -f lavfi -i "
        "sine=r=48000:d=1:f=600 -i subs.srt -i subs.sup -i chapters.txt -map 0 -map 1 -map 2 -map 3 -map 4 "
        "-map_chapters 5 -c:v libx264 -preset ultrafast -c:a aac -c:s:0 srt -c:s:1 copy -metadata title=Film "
        "-metadata:s:a:0 language=eng -metadata:s:a:1 language=ger -metadata:s:a:1 title=Deutsch -disposition:a:0 0 "
        "-disposition:a:1 default -metadata:s:s:0 language=fra -metadata:s:s:1 language=ger -disposition:s:0 forced "
        "-disposition:s:1 forced",
        { 160, 90 }, true, 2, 1, 1 },
    { "HDR 10-bit.mp4",
        "-f lavfi -i testsrc2=size=128x72:rate=25:duration=1 -pix_fmt yuv420p10le -c:v libx265 -preset ultrafast "
        "-x265-params log-level=error -color_primaries bt2020 -color_trc smpte2084 -colorspace bt2020nc",
        { 128, 72 }, false },
    // Every field white where the one before was black: combed, the picture is half grey; deinterlaced, each
    // frame is one field, white or black.
    { "interlaced.mpg",
        "-f lavfi -i color=white:size=64x48:rate=50:duration=1 -f lavfi -i sine=d=1 -vf "
        "format=yuv420p,geq=lum=if(mod(floor((N+1)/2)\\,2)\\,16\\,235):cb=128:cr=128,tinterlace=interleave_top,"
        "setfield=tff "
        "-c:v mpeg2video -flags +ilme+ildct -top 1 -c:a mp2",
        { 64, 48 }, true },
    { "with cover.mp4",
        "-f lavfi -i testsrc2=size=160x90:rate=25:duration=1 -f lavfi -i sine=d=1 -i cover.png -map 0 -map 1 -map 2 "
        "-c:v:0 libx264 -preset ultrafast -c:v:1 copy -disposition:v:1 attached_pic -c:a aac",
        { 160, 90 }, true, 1, 0, 0, 0, true },
    // Four seconds: a frame lost or doubled at a GOP's edge, or the sound cut by a few frames, fails the check.
    { "B-frames H.264.avi",
        "-f lavfi -i testsrc2=size=160x90:rate=25:duration=4 -f lavfi -i sine=d=4 -c:v libx264 -preset ultrafast "
        "-bf 3 -g 25 -c:a libmp3lame",
        { 160, 90 }, true, 1, 0, 0, 0, false, 100 },
    { "B-frames Xvid.avi",
        "-f lavfi -i testsrc2=size=160x90:rate=25:duration=4 -f lavfi -i sine=d=4 -c:v mpeg4 -vtag xvid -bf 2 "
        "-g 25 -c:a libmp3lame",
        { 160, 90 }, true, 1, 0, 0, 0, false, 100 },
    { "B-frames raw.h264",
        "-f lavfi -i testsrc2=size=160x90:rate=25:duration=4 -c:v libx264 -preset ultrafast -bf 3 -g 25", { 160, 90 },
        false, 1, 0, 0, 0, false, 100 },
    // Written by the test itself: a header that gives the sound no channels, which nothing can decode.
    { "no channels.wav", "", {}, false },
};

// A phone films landscape and records how to turn it; the encoder sets that mark only when copying. It keeps
// where, with what and at what local time under Apple's own keys.
const char* const landscapeMake
    = "-f lavfi -i testsrc2=size=320x180:rate=60000/1001:duration=1 -f lavfi -i sine=r=48000:d=1 -pix_fmt yuv420p "
      "-c:v libx264 -preset ultrafast -c:a aac -timecode 01:00:00:00 -movflags use_metadata_tags "
      "-metadata creation_time=2024-05-01T10:00:00Z -metadata com.apple.quicktime.location.ISO6709=+35.6895+139.6917/ "
      "-metadata com.apple.quicktime.make=Quor -metadata com.apple.quicktime.model=Phone "
      "-metadata com.apple.quicktime.creationdate=2024-05-01T19:00:00+0900";

// The place, make, model and local time of the phone's clip as each target keeps them, by the tags the encoder
// reads back: the MP4 family writes the place as numbers, with an altitude.
struct CameraTag {
    const char* Key;
    const char* Value;
    const char* Keepers; // the extensions that keep it
    const char* Noted; // how a note names it where a format with a plan cannot keep it
};
const CameraTag cameraTags[] = {
    { "location", "+35.6895+139.6917", "mp4 mov mkv webm flv wmv 3gp ogv m4a opus", "place" },
    { "make", "Quor", "mov mkv webm flv wmv ogv opus", "make" },
    { "model", "Phone", "mov mkv webm flv wmv ogv opus", "model" },
    { "date", "2024-05-01T19:00:00+0900", "mp4 mov mkv webm avi flv wmv ogv m4a opus", "local time" },
};

// A Blu-ray subtitle segment: "PG", presentation and decoding time (90 kHz), type, payload size, payload.
QByteArray SubtitleSegment(quint32 pts, quint8 type, const char* payloadHex)
{
    const QByteArray payload = QByteArray::fromHex(payloadHex);
    QByteArray head(13, '\0');
    head[0] = 'P';
    head[1] = 'G';
    qToBigEndian(pts, head.data() + 2);
    qToBigEndian(pts, head.data() + 6);
    head[10] = static_cast<char>(type);
    qToBigEndian(static_cast<quint16>(payload.size()), head.data() + 11);
    return head + payload;
}

// Bitmap subtitles, which the encoder can copy but not make from text: an 8x2 bar shown from 0.1 s to 0.8 s.
QByteArray BitmapSubtitles()
{
    const char* window = "0100000a000a00080002";
    return SubtitleSegment(9000, 0x16,
               "014000f010000080000001"
               "00000000000a000a") // composition, one object
        + SubtitleSegment(9000, 0x17, window) + SubtitleSegment(9000, 0x14, "00000001eb8080ff") // palette
        + SubtitleSegment(9000, 0x15,
            "000000c000000e00080002"
            "00880100000088010000") // run-length object
        + SubtitleSegment(9000, 0x80, "") + SubtitleSegment(72000, 0x16, "014000f010000100000000") // cleared
        + SubtitleSegment(72000, 0x17, window) + SubtitleSegment(72000, 0x80, "");
}

// A WAV header that gives its sound no channels, then a second of silence.
QByteArray NoChannelsWav()
{
    return QByteArray::fromHex(
               "52494646ac58010057415645666d7420100000000100000044ac000010b10200040010006461746188580100")
        + QByteArray(88200, '\0');
}

struct Finished {
    int ExitCode = -1; // -1: killed after hanging, or never started
    QByteArray Output;
    QByteArray Errors;
};

// Runs a program and waits up to two minutes; standard input stays open and silent, as in an unattended batch.
Finished RunProgram(const QString& program, const QStringList& args, const QString& folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, args);
    Finished run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.Output = process.readAllStandardOutput();
    run.Errors = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit)
        run.ExitCode = process.exitCode();
    return run;
}

// Runs the very words the job's runner passes.
Finished RunArguments(const std::vector<std::string>& arguments)
{
    QStringList args;
    for (const std::string& arg : arguments)
        args << QString::fromStdString(arg);
    const QString program = args.takeFirst();
    return RunProgram(program, args);
}

// Runs work(0) .. work(count - 1) two at a time: the machine's two cores, each encoder mostly on one.
void TwoAtATime(size_t count, const std::function<void(size_t)>& work)
{
    std::atomic<size_t> next { 0 };
    // A failure that throws ends only its own case: the other thread must still be joined.
    auto worker = [&] {
        for (size_t i = next++; i < count; i = next++) {
            try {
                work(i);
            } catch (const std::exception& error) {
                ADD_FAILURE() << "case " << i << ": " << error.what();
            }
        }
    };
    std::thread other(worker);
    worker();
    other.join();
}

// What a player finds in a converted file.
struct Converted {
    Finished Conversion;
    std::optional<std::string> Refusal; // why the program would not start this conversion
    std::optional<std::string> Fault; // what the program's check after the encoder finds wrong
    bool Written = false; // a file with something in it is there
    std::vector<std::string> Notes;
    TMediaInfo Source;
    std::string Params; // as planned for the source
    QString Output;
    Finished Probe;
    QJsonObject Found; // ffprobe's format and streams, each stream with the count of frames it decoded
    QImage FirstFrame; // the first picture as coded, for the fixed frames only
    QList<QByteArray> FrameTimes; // each picture's time as a player shows them, for reordered sources only
};

int Count(const QJsonObject& probe, const QString& type)
{
    const QJsonArray streams = probe["streams"].toArray();
    return static_cast<int>(std::count_if(streams.begin(), streams.end(),
        [&](const QJsonValue& stream) { return stream["codec_type"].toString() == type; }));
}

std::vector<QJsonObject> StreamsOf(const QJsonObject& probe, const QString& type)
{
    std::vector<QJsonObject> found;
    for (const QJsonValue& stream : probe["streams"].toArray())
        if (stream["codec_type"].toString() == type)
            found.push_back(stream.toObject());
    return found;
}

// A tag's value whatever the case of its name (Matroska writes names in capitals); "und" is no language.
QString TagOf(const QJsonObject& tags, const QString& name)
{
    for (auto tag = tags.begin(); tag != tags.end(); ++tag)
        if (tag.key().compare(name, Qt::CaseInsensitive) == 0 && tag.value().toString() != "und")
            return tag.value().toString();
    return {};
}

const TStreamInfo* FirstPicture(const TMediaInfo& media)
{
    for (const TStreamInfo& stream : media.Streams)
        if (stream.Kind == TStreamKind::Video && !stream.AttachedPicture)
            return &stream;
    return nullptr;
}

// One checksum over every packet of the track, as stored.
QByteArray PacketsHash(const QString& file, const QString& track)
{
    return RunProgram(REELHAND_FFMPEG,
        { "-nostdin", "-v", "error", "-i", file, "-map", track, "-c", "copy", "-f", "streamhash", "-hash", "md5", "-" })
        .Output.split('=')
        .value(1);
}

double MeanGrey(const QImage& frame)
{
    double sum = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            sum += qGray(frame.pixel(x, y));
    return sum / std::max(1, frame.width() * frame.height());
}

double PixelAspect(const QJsonObject& stream)
{
    const QStringList ratio = stream["sample_aspect_ratio"].toString().split(':');
    const double wide = ratio.value(0).toDouble(), high = ratio.value(1).toDouble();
    return wide > 0 && high > 0 ? wide / high : 1.0;
}

// The bounding box of everything in the picture that is not black, which padding is.
QRect Content(const QImage& frame)
{
    QRect box;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb pixel = frame.pixel(x, y);
            if (qAlpha(pixel) > 127 && std::max({ qRed(pixel), qGreen(pixel), qBlue(pixel) }) > 64)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

class ShippedCatalogue : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The shipped catalogue, read as the program reads its own: from the program folder.
        Application->SetProgramFolder(REELHAND_SOURCE_DIR "/resources");
        s_dir = new QTemporaryDir;
        QDir(s_dir->path()).mkpath("source clips");
        QDir(s_dir->path()).mkpath("converted files");
        const QString folder = s_dir->filePath("source clips");
        auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile file(folder + "/" + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write("subs.srt", "1\n00:00:00,100 --> 00:00:00,900\nHello there\n");
        write("subs.sup", BitmapSubtitles());
        write("notes.txt", "what a font or a cover would be\n");
        write("no channels.wav", NoChannelsWav());
        write("chapters.txt",
            ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=One\n"
            "[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\nEND=1000\ntitle=Two\n");
        auto make = [&](const QString& file, const char* args) {
            const Finished run = RunProgram(REELHAND_FFMPEG,
                QStringList { "-nostdin", "-v", "error" } + QProcess::splitCommand(QString::fromUtf8(args)) << file,
                folder);
            ASSERT_EQ(run.ExitCode, 0) << file.toStdString() << ": " << run.Errors.toStdString();
        };
        make("landscape.mov", landscapeMake);
        make("cover.png", "-f lavfi -i testsrc2=size=32x32:rate=1 -frames:v 1");
        for (const Source& source : sources) {
            if (*source.Make)
                make(source.File, source.Make);
            if (!source.Video())
                continue;
            const Finished probe = RunProgram(REELHAND_FFPROBE,
                { "-v", "error", "-of", "csv=p=0:s=x", "-show_entries", "stream=width,height", "-select_streams", "v:0",
                    folder + "/" + source.File });
            const QList<QByteArray> size = probe.Output.trimmed().split('x');
            const QSize coded(size.value(0).toInt(), size.value(1).toInt());
            EXPECT_TRUE(coded == source.Shown || coded == source.Shown.transposed()) << source.File;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
        Application->SetProgramFolder(QString());
    }

    static QString SourcePath(const Source& source) { return s_dir->filePath("source clips/") + source.File; }

    // ENCODER INPUT-OPTIONS... -i IN PARAMS... OUT, as the job builds it.
    static std::vector<std::string> Arguments(const std::vector<std::string>& params, const QString& in,
        const QString& out, const std::vector<std::string>& inputOptions = {})
    {
        return EncoderArguments(REELHAND_FFMPEG, in.toStdString(), params, out.toStdString(), inputOptions);
    }

    static Converted Convert(TEncoderTask entry, const QString& name, bool fixedFrame, const Source& source)
    {
        Converted result;
        const QString out
            = s_dir->filePath("converted files/") + QFileInfo(source.File).completeBaseName() + " " + name;
        try {
            result.Source = ProbeMedia(SourcePath(source).toStdString(), TProbeDepth::Untrusted);
        } catch (const EProbeError& error) {
            // The program refuses such a file before any encoder runs.
            result.Refusal = error.Message();
            return result;
        }
        result.Refusal = SourceRefusal(result.Source, TFormatParams::Of(entry.Params).StreamsFor(result.Source));
        entry.OutputName = name.toStdString();
        const TEncoderPlan plan = PlanEncoding(entry, result.Source);
        result.Params = JoinCommandLine(plan.Arguments);
        result.Notes = plan.Notes;
        result.Conversion = RunArguments(Arguments(plan.Arguments, SourcePath(source), out, plan.InputOptions));
        result.Written = QFileInfo(out).size() > 0;
        if (result.Conversion.ExitCode != 0)
            return result;
        result.Output = out;
        result.Fault = OutputFault(result.Source, plan.Tracks, out.toStdString());
        // Counting frames decodes every stream, so a file whose header reads well but does not play fails too.
        result.Probe = RunProgram(REELHAND_FFPROBE,
            { "-v", "error", "-count_frames", "-of", "json", "-show_entries",
                "format=format_name:format_tags=major_brand,title,creation_time,location,make,model,date:"
                "stream=codec_type,codec_tag_string,codec_name,width,height,sample_aspect_ratio,r_frame_rate,"
                "nb_read_frames,channels,channel_layout,color_transfer,color_primaries:"
                "stream_tags=language,title,handler_name,location,make,model,date:"
                "stream_disposition=default,forced,attached_pic:stream_side_data=rotation:chapter=id",
                out });
        result.Found = QJsonDocument::fromJson(result.Probe.Output).object();
        if (source.ReorderedFrames && Count(result.Found, "video"))
            result.FrameTimes = RunProgram(REELHAND_FFPROBE,
                { "-v", "error", "-select_streams", "v:0", "-show_entries", "frame=pts", "-of", "csv=p=0", out })
                                    .Output.replace(',', ' ')
                                    .simplified()
                                    .split(' ');
        const TStreamInfo* picture = FirstPicture(result.Source);
        if ((fixedFrame || (picture && picture->Interlaced)) && Count(result.Found, "video"))
            result.FirstFrame = QImage::fromData(RunProgram(REELHAND_FFMPEG,
                                                     { "-nostdin", "-v", "error", "-i", out, "-frames:v", "1", "-c:v",
                                                         "png", "-f", "image2pipe", "pipe:1" })
                                                     .Output,
                "PNG");
        return result;
    }

    static inline QTemporaryDir* s_dir = nullptr;
    TCommandManager m_catalogue;
};

TEST_F(ShippedCatalogue, EveryEntryStaysWhereListFilesExpectIt)
{
    ASSERT_EQ(m_catalogue.Formats().size(), std::size(targets));
    for (size_t i = 0; i < std::size(targets); ++i) {
        const int index = static_cast<int>(i);
        EXPECT_FALSE(m_catalogue.Formats()[i].empty()) << i;
        EXPECT_EQ(m_catalogue.GetExt(index), targets[i].Ext) << i;
        EXPECT_TRUE(m_catalogue.GetParams(index).starts_with("-nostdin -n -hide_banner ")) << i;
    }
}

TEST_F(ShippedCatalogue, EveryEntryConvertsEverySourceThatHasWhatItNeeds)
{
    if (QString(REELHAND_FFPROBE).isEmpty())
        GTEST_SKIP() << "no ffprobe to read the results back";
    ASSERT_EQ(m_catalogue.Formats().size(), std::size(targets));
    const size_t entries = std::size(targets);
    std::vector<TEncoderTask> params(entries);
    for (size_t i = 0; i < entries; ++i) {
        params[i].Params = m_catalogue.GetParams(static_cast<int>(i));
        params[i].Plan = m_catalogue.GetPlan(static_cast<int>(i));
    }
    std::vector<Converted> results(std::size(sources) * entries);
    TwoAtATime(results.size(), [&](size_t i) {
        const size_t entry = i % entries;
        results[i] = Convert(params[entry], QString("%1.%2").arg(entry).arg(targets[entry].Ext), targets[entry].Width,
            sources[i / entries]);
    });

    for (size_t i = 0; i < results.size(); ++i) {
        const Source& source = sources[i / entries];
        const Target& target = targets[i % entries];
        const Converted& result = results[i];
        SCOPED_TRACE(std::string(source.File) + " -> " + m_catalogue.Formats()[i % entries]);
        const bool hasWhatItNeeds = target.Type == Kind::Audio ? source.Audio
            : target.Type == Kind::Gif                         ? source.Video()
                                                               : source.Video() || source.Audio;
        EXPECT_EQ(result.Refusal.has_value(), !hasWhatItNeeds) << result.Refusal.value_or("");
        EXPECT_FALSE(result.Fault) << *result.Fault;
        if (!hasWhatItNeeds) {
            if (result.Source.Streams.size() > 0)
                EXPECT_GT(result.Conversion.ExitCode, 0) << "should fail at once, neither succeed nor hang";
            EXPECT_FALSE(result.Written);
            continue;
        }
        if (result.Conversion.ExitCode != 0) {
            ADD_FAILURE() << "exit code " << result.Conversion.ExitCode << " for " << result.Params << ": "
                          << result.Conversion.Errors.right(2000).toStdString();
            continue;
        }
        const QJsonObject& found = result.Found;
        EXPECT_EQ(found["format"]["format_name"].toString(), target.Container) << result.Probe.Errors.toStdString();
        if (*target.Brand)
            EXPECT_EQ(found["format"]["tags"]["major_brand"].toString().trimmed(), target.Brand);
        const bool video = source.Video() && target.Type != Kind::Audio;
        const QString ext = target.Ext;
        const bool tracks = target.Tracks && target.Type == Kind::Video;
        const int covers = tracks && ext == "mp4" && source.Cover ? 1 : 0;
        EXPECT_EQ(Count(found, "video"), video ? 1 + covers : 0);
        EXPECT_EQ(Count(found, "audio"), !source.Audio || target.Type == Kind::Gif ? 0 : tracks ? source.Sounds : 1);
        EXPECT_EQ(
            Count(found, "subtitle"), tracks ? source.TextSubtitles + (ext == "mkv" ? source.BitmapSubtitles : 0) : 0);
        EXPECT_EQ(Count(found, "attachment"), tracks && ext == "mkv" ? source.Attachments : 0);
        // Data tracks are the format's own (MP4's chapter titles, a DVD's navigation), never the source's timecode.
        for (const QJsonObject& data : StreamsOf(found, "data"))
            EXPECT_NE(data["codec_tag_string"].toString(), "tmcd");
        for (const QJsonValue& stream : found["streams"].toArray())
            if (stream["codec_type"].toString() == "video" || stream["codec_type"].toString() == "audio")
                EXPECT_GT(stream["nb_read_frames"].toString().toInt(), 0) << result.Probe.Errors.toStdString();
        for (const QJsonObject& subtitle : StreamsOf(found, "subtitle"))
            if (ext != "mkv")
                EXPECT_EQ(subtitle["codec_name"].toString(), ext == "webm" ? "webvtt" : "mov_text");
        if (covers)
            EXPECT_EQ(StreamsOf(found, "video").back().value("disposition")["attached_pic"].toInt(), 1);

        // Each sound track as the source has it; a copied track packet for packet.
        std::vector<const TStreamInfo*> sounds;
        for (const TStreamInfo& stream : result.Source.Streams)
            if (stream.Kind == TStreamKind::Audio && (tracks || sounds.empty()))
                sounds.push_back(&stream);
        const bool defaultsTold = std::any_of(sounds.begin(), sounds.end(), [](auto s) { return s->Default; });
        const std::vector<QJsonObject> made = StreamsOf(found, "audio");
        // Copied: what the container takes (Matroska: what it still holds as such), but for a turned picture in
        // Matroska, which keeps no turn, a picture of an MPEG program stream, whose packets may lack times, and PCM
        // sound with a layout Matroska drops.
        auto copied = [&](const TStreamInfo& stream, const QJsonObject& out) {
            const QString codec = QString::fromStdString(stream.Codec);
            return (QString(target.Copies) == "*" ? out["codec_name"].toString() == codec
                                                  : QString(target.Copies).split(' ').contains(codec))
                && !(stream.Rotation != 0 && ext == "mkv")
                && !(stream.Kind == TStreamKind::Video && result.Source.Container == "mpeg")
                && !(codec.startsWith("pcm_") && !stream.ChannelLayout.empty())
                && !(stream.Kind == TStreamKind::Video && source.ReorderedFrames && codec == "h264");
        };
        for (size_t k = 0; k < made.size() && k < sounds.size() && tracks; ++k) {
            const QJsonObject tags = made[k]["tags"].toObject();
            EXPECT_EQ(TagOf(tags, "language").toStdString(), sounds[k]->Language == "und" ? "" : sounds[k]->Language);
            if (!sounds[k]->Title.empty())
                EXPECT_EQ(TagOf(tags, ext == "mkv" || ext == "webm" ? "title" : "handler_name").toStdString(),
                    sounds[k]->Title);
            if (defaultsTold)
                EXPECT_EQ(made[k]["disposition"]["default"].toInt(), int(sounds[k]->Default)) << k;
            EXPECT_EQ(made[k]["channels"].toInt(), sounds[k]->Channels);
            if (!sounds[k]->ChannelLayout.empty())
                EXPECT_FALSE(QStringList({ "", "unknown" }).contains(made[k]["channel_layout"].toString())) << k;
            if (copied(*sounds[k], made[k]))
                EXPECT_EQ(PacketsHash(SourcePath(source), QString("0:%1").arg(sounds[k] - &result.Source.Streams[0])),
                    PacketsHash(result.Output, QString("0:a:%1").arg(k)));
        }
        if (tracks) {
            EXPECT_EQ(found["chapters"].toArray().size(), qsizetype(result.Source.Chapters.size()));
            for (const char* key : { "title", "creation_time" })
                if (result.Source.Tags.count(key))
                    EXPECT_EQ(TagOf(found["format"]["tags"].toObject(), key).toStdString(), result.Source.Tags.at(key))
                        << key;
        }
        // Subtitle flags as the source has them, but that MP4 and MOV mark the first default where the source
        // marks none, and MOV keeps no forced flag.
        std::vector<const TStreamInfo*> subtitles;
        for (const TStreamInfo& stream : result.Source.Streams)
            if (stream.Kind == TStreamKind::Subtitle && (stream.TextSubtitle || ext == "mkv"))
                subtitles.push_back(&stream);
        const bool iso = ext == "mp4" || ext == "mov";
        const bool subtitleDefault = std::any_of(subtitles.begin(), subtitles.end(), [](auto s) { return s->Default; });
        const std::vector<QJsonObject> madeSubtitles = StreamsOf(found, "subtitle");
        for (size_t k = 0; k < madeSubtitles.size() && k < subtitles.size(); ++k) {
            const QJsonObject flags = madeSubtitles[k]["disposition"].toObject();
            EXPECT_EQ(flags["default"].toInt(), int(subtitles[k]->Default || (iso && !subtitleDefault && k == 0))) << k;
            EXPECT_EQ(flags["forced"].toInt(), int(subtitles[k]->Forced && ext != "mov")) << k;
        }
        // A phone's place, camera and local time where the target keeps them; Ogg keeps tags with each track.
        for (const CameraTag& tag : cameraTags) {
            if (!result.Source.Tags.count("com.apple.quicktime.make"))
                break;
            QString value = TagOf(found["format"]["tags"].toObject(), tag.Key);
            for (const QJsonValue& stream : found["streams"].toArray())
                value += value.isEmpty() ? TagOf(stream["tags"].toObject(), tag.Key) : "";
            const bool kept = QString(tag.Keepers).split(' ').contains(ext);
            EXPECT_EQ(value.startsWith(tag.Value), kept) << tag.Key << ": " << value.toStdString();
            if (!kept && !params[i % entries].Plan.empty())
                EXPECT_TRUE(std::any_of(result.Notes.begin(), result.Notes.end(), [&](const std::string& note) {
                    return note.find(tag.Noted) != std::string::npos;
                })) << tag.Key;
        }
        const TStreamInfo* original = FirstPicture(result.Source);
        const std::vector<QJsonObject> pictures = StreamsOf(found, "video");
        if (!video || !original || pictures.empty())
            continue;
        // Every frame, in the order they are shown, where the target keeps the source's rate.
        if (source.ReorderedFrames && !target.Rate && target.Type == Kind::Video) {
            EXPECT_EQ(result.FrameTimes.size(), source.ReorderedFrames);
            for (qsizetype k = 1; k < result.FrameTimes.size(); ++k)
                EXPECT_GT(result.FrameTimes[k].toLongLong(), result.FrameTimes[k - 1].toLongLong()) << "frame " << k;
        }
        // Every frame at its own time where the container can hold them so: none doubled, none dropped.
        if (source.VariableRate && !target.Rate && QStringList({ "mp4", "mov", "mkv", "webm" }).contains(ext)) {
            const QList<double> before = FrameTimes(SourcePath(source), "v");
            const QList<double> after = FrameTimes(result.Output, "v");
            EXPECT_EQ(after.size(), before.size());
            for (qsizetype k = 0; k < std::min(before.size(), after.size()); ++k)
                EXPECT_NEAR(after[k] - after[0], before[k] - before[0], 0.0015) << "frame " << k;
        }
        const QJsonObject& picture = pictures.front();
        const bool pictureCopied = copied(*original, picture);
        if (pictureCopied)
            EXPECT_EQ(PacketsHash(SourcePath(source), QString("0:%1").arg(original - &result.Source.Streams[0])),
                PacketsHash(result.Output, "0:v:0"));
        else if (original->ColorTransfer == "smpte2084")
            EXPECT_TRUE(QStringList({ "", "bt709" }).contains(picture["color_transfer"].toString())) << "tone-mapped";
        if (original->Interlaced && !pictureCopied && !target.Width)
            EXPECT_GT(std::abs(MeanGrey(result.FirstFrame) - 128), 60) << "combed";

        const int width = picture["width"].toInt(), height = picture["height"].toInt();
        if (target.EvenSize)
            EXPECT_TRUE(width % 2 == 0 && height % 2 == 0) << width << "x" << height;
        // The source's shape as a player shows it (a phone's turn applied), within what rounding to whole and
        // even pixels allows; the fixed frames pad the picture rather than stretch it.
        QSizeF shown(width * PixelAspect(picture), height);
        if (std::abs(picture["side_data_list"][0]["rotation"].toInt()) == 90)
            shown.transpose();
        if (target.Width) {
            EXPECT_EQ(width, target.Width);
            EXPECT_EQ(height, target.Height);
            EXPECT_EQ(picture["r_frame_rate"].toString(), target.Rate);
            EXPECT_EQ(result.FirstFrame.size(), QSize(width, height));
            const QRect content = Content(result.FirstFrame);
            shown = QSizeF(content.width() * PixelAspect(picture), content.height());
        }
        EXPECT_NEAR(shown.width() / shown.height(), source.Aspect(),
            source.Aspect() * (0.01 + 3 / std::min(shown.width(), shown.height())));
    }
}

TEST_F(ShippedCatalogue, AnEntryNeverOverwritesAndNeverWaitsForAnAnswer)
{
    const QString out = s_dir->filePath("taken." + QString::fromStdString(m_catalogue.GetExt(0)));
    QFile taken(out);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("keep me");
    taken.close();
    const Finished run
        = RunArguments(Arguments(SplitCommandLine(m_catalogue.GetParams(0)), SourcePath(sources[0]), out));
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_NE(run.ExitCode, -1) << "it waited for an answer on the open standard input";
    QFile check(out);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "keep me");
}

} // namespace
