#include "tests/support/EncoderLog.h"

#include <QFile>

namespace {

QString Unescaped(const QString& arg)
{
    QString out;
    for (int i = 0; i < arg.size(); ++i) {
        if (arg[i] == '\\' && i + 1 < arg.size()) {
            QChar next = arg[++i];
            out += next == 't' ? QChar('\t') : next == 'n' ? QChar('\n') : next;
        } else {
            out += arg[i];
        }
    }
    return out;
}

} // namespace

std::vector<TEncoderRun> EncoderRuns(const QString& logPath)
{
    std::vector<TEncoderRun> runs;
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        QString line = QString::fromUtf8(raw);
        if (line.startsWith("start ")) {
            QStringList fields = line.split('\t');
            QStringList head = fields.takeFirst().split(' ');
            TEncoderRun run;
            run.StartNs = head.value(1).toLongLong();
            run.Pid = head.value(2).toInt();
            for (const QString& arg : fields)
                run.Args << Unescaped(arg);
            runs.push_back(run);
        } else if (line.startsWith("end ")) {
            QStringList head = line.split(' ');
            for (TEncoderRun& run : runs) {
                if (run.Pid == head.value(2).toInt() && run.EndNs == 0) {
                    run.EndNs = head.value(1).toLongLong();
                    run.ExitCode = head.value(3).toInt();
                }
            }
        }
    }
    return runs;
}
