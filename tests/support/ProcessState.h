#pragma once

#include <QFile>

// The state letter of a process from /proc (R, S, Z, ...), or 0 when there is no such process at all.
inline char ProcessState(long pid)
{
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    QByteArray text = stat.readAll();
    int close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text[close + 2] : 0;
}

// True when the process is gone or has ended and waits only to be reaped (a zombie).
inline bool ProcessEnded(long pid)
{
    const char state = ProcessState(pid);
    return state == 0 || state == 'Z';
}
