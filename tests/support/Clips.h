#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>

// Test clips made by the real encoder, and what the real probe finds in a file. Header only: the paths of the
// encoder and the probe are given to each test area.

// A clip with a test picture of the given size ("160x120"), one second long unless told otherwise, with a tone
// unless it is to be silent.
inline bool MakeClip(const QString& path, const QString& size, const QString& seconds = "1", bool sound = true)
{
    QStringList arguments = { "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
        "testsrc=duration=" + seconds + ":rate=10:size=" + size };
    if (sound)
        arguments << "-f"
                  << "lavfi"
                  << "-i"
                  << "sine=duration=" + seconds << "-c:a"
                  << "mp2";
    arguments << "-c:v"
              << "mpeg4"
              << "-y" << path;
    QProcess ffmpeg;
    ffmpeg.start(REELHAND_FFMPEG, arguments);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// A file made by the real encoder from arguments as a shell splits them ("-f lavfi -i testsrc2=d=3 -c:v mpeg4").
inline bool MakeMedia(const QString& path, const QString& arguments)
{
    QProcess ffmpeg;
    ffmpeg.start(REELHAND_FFMPEG,
        QStringList { "-nostdin", "-loglevel", "error" } + QProcess::splitCommand(arguments) << "-y" << path);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// The files one after the other at path, as `cat` joins them, with the first skip bytes of the first left out (a
// recording that begins wherever the tuner came in).
inline bool JoinFiles(const QString& path, const QStringList& parts, qint64 skip = 0)
{
    QFile joined(path);
    if (!joined.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (const QString& name : parts) {
        QFile part(name);
        if (!part.open(QIODevice::ReadOnly) || !part.seek(name == parts.first() ? skip : 0))
            return false;
        joined.write(part.readAll());
    }
    return joined.flush();
}

// A real clip at path for the stand-in encoder, with the stand-in's script beside it (path + ".script"): the
// stand-in copies its input as its output, so a run it ends with 0 is a whole conversion. Copied from one tiny
// clip made once per test program.
inline bool MakeScriptedClip(const QString& path, const QByteArray& script)
{
    static QTemporaryDir cache;
    static const QString tiny = cache.path() + "/tiny.avi";
    if (!QFile::exists(tiny) && !MakeClip(tiny, "64x48"))
        return false;
    QFile::remove(path);
    QFile scriptFile(path + ".script");
    if (!QFile::copy(tiny, path) || !scriptFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return scriptFile.write(script) == script.size();
}

// The stream kinds the probe finds in a file ("video", "audio"), empty when it is no media file.
inline QStringList Streams(const QString& path)
{
    QProcess probe;
    probe.start(REELHAND_FFPROBE, { "-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0", path });
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
        return {};
    return QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// The times in seconds of the packets of the file's first track of a kind ("v", "a"), in showing order; or of
// what entry names, such as the frames as a player shows them ("frame=best_effort_timestamp_time"). NaN for one
// whose time the file does not give (then in the order read).
inline QList<double> FrameTimes(const QString& path, const QString& kind, const QString& entry = "packet=pts_time")
{
    QProcess probe;
    probe.start(REELHAND_FFPROBE,
        { "-v", "error", "-select_streams", kind + ":0", "-show_entries", entry, "-of", "csv=p=0", path });
    QList<double> times;
    if (!probe.waitForFinished(120000) || probe.exitCode() != 0)
        return times;
    // A transport stream's packets end their line with a comma of their own.
    for (const QString& line : QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        bool timed = false;
        const double time = line.section(',', 0, 0).toDouble(&timed);
        times << (timed ? time : qQNaN());
    }
    if (std::none_of(times.begin(), times.end(), [](double time) { return qIsNaN(time); }))
        std::sort(times.begin(), times.end());
    return times;
}

// What the decoder says while it decodes every track of the file to the end: empty for a clean decode.
inline QString DecodeErrors(const QString& path)
{
    QProcess decode;
    decode.start(REELHAND_FFMPEG, { "-nostdin", "-v", "error", "-i", path, "-f", "null", "-" });
    if (!decode.waitForFinished(120000))
        return "the decoder did not end";
    return QString::fromUtf8(decode.readAllStandardError()) + (decode.exitCode() != 0 ? "exit code not 0" : "");
}
