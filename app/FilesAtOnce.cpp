#include "app/FilesAtOnce.h"

#include <QSettings>
#include <QThread>
#include <algorithm>

namespace
{
const char* const Key = "convert/filesAtOnce";
}

int FilesAtOnce::Limit()
{
    return std::max(1, QThread::idealThreadCount());
}

int FilesAtOnce::Stored()
{
    return std::clamp(QSettings().value(Key, 1).toInt(), 1, Limit());
}

void FilesAtOnce::Store(int value)
{
    QSettings().setValue(Key, std::clamp(value, 1, Limit()));
}

std::optional<int> FilesAtOnce::TakeFromArguments(QStringList& arguments)
{
    std::optional<int> found;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString argument = arguments[i];
        QString value;
        if (argument == "-j" || argument == "--jobs") {
            value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
            arguments.remove(i, std::min<qsizetype>(2, arguments.size() - i));
        } else if (argument.startsWith("--jobs=")) {
            value = argument.mid(7);
            arguments.remove(i);
        } else {
            ++i;
            continue;
        }
        bool number = false;
        const int jobs = value.toInt(&number);
        if (!number || jobs < 1 || jobs > Limit())
            throw EFilesAtOnceArgument("--jobs takes a whole number from 1 to " + std::to_string(Limit())
                + " (the processors of this machine); '" + value.toStdString() + "' is not one.");
        found = jobs;
    }
    return found;
}
