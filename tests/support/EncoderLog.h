#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One run of the stand-in encoder (tests/helpers/fakeencoder) as its log tells it.
struct TEncoderRun {
    qint64 StartNs = 0;
    qint64 EndNs = 0; // 0 when it did not end by itself
    int Pid = 0;
    int ExitCode = -1;
    QStringList Args; // without the program name

    // The source, after -i: the demuxer's name comes before it.
    QString Input() const { return Args.value(Args.indexOf("-i") + 1); }
};

// The runs recorded in the stand-in's log at path, in the order they started; none when there is no log.
std::vector<TEncoderRun> EncoderRuns(const QString& logPath);
