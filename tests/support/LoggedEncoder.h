#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// Puts the real encoder at path (a program folder's bin/ffmpeg) behind a script that logs the start and end of
// every run ("start ARGS", "end ARGS") and fails the runs that name failing; returns the log's path.
inline QString WrapRealEncoder(const QString& path, const QString& failing = {})
{
    QFile::remove(path);
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write(("#!/bin/sh\nprintf 'start %s\\n' \"$*\" >> \"$0.log\"\n"
        + (failing.isEmpty() ? QString()
                             : "case \"$*\" in *" + failing
                    + "*) echo 'Error writing trailer: Input/output error' >&2; exit 1;; esac\n")
        + REELHAND_FFMPEG " \"$@\"\ncode=$?\nprintf 'end %s\\n' \"$*\" >> \"$0.log\"\nexit $code\n")
                     .toUtf8());
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path + ".log";
}

// The lines of the log at path, and the index of the first that starts with start's first word and holds the rest
// ("start piece-2.nut"), -1 when none does.
inline QStringList LoggedRuns(const QString& log)
{
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                          : QStringList();
}
inline qsizetype LoggedLineOf(const QStringList& lines, const QString& start)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(start.section(' ', 0, 0)) && lines[i].contains(start.section(' ', 1)))
            return i;
    return -1;
}
