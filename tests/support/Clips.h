#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Test clips made by the real encoder, and what the real probe finds in a file. Header only: the paths of the
// encoder and the probe are given to each test area.

// A one-second clip with a test picture of the given size ("160x120") and a tone.
inline bool MakeClip(const QString& path, const QString& size)
{
    QProcess ffmpeg;
    ffmpeg.start(REELHAND_FFMPEG,
        { "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=duration=1:rate=10:size=" + size, "-f",
            "lavfi", "-i", "sine=duration=1", "-c:v", "mpeg4", "-c:a", "mp2", "-y", path });
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
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
