#include "watch/MediaNames.h"

const QStringList& MediaExtensions()
{
    // Six of the formats are sound only, so sound files are sources too.
    static const QStringList extensions
        = { "mpg", "mpeg", "wmv", "avi", "vob", "mov", "mp2", "mpv", "mp4", "flv", "mkv", "webm", "m4v", "ts", "mts",
              "m2ts", "3gp", "ogv", "wav", "mp3", "flac", "ogg", "oga", "opus", "m4a", "aac", "wma" };
    return extensions;
}

bool IsMediaName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 && MediaExtensions().contains(name.mid(dot + 1).toLower());
}
