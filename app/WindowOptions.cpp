#include "app/WindowOptions.h"

#include "app/FilesAtOnce.h"

#include <QFileInfo>

TWindowOptions ReadWindowOptions(const QStringList& arguments)
{
    const qsizetype end = arguments.indexOf("--");
    QStringList options = arguments.mid(0, end);
    TWindowOptions read;
    try {
        read.Jobs = FilesAtOnce::TakeFromArguments(options);
    } catch (const EFilesAtOnceArgument& error) {
        throw EWindowUsage(error.Message());
    }
    for (const QString& option : options)
        if (option.startsWith('-') && option != "-")
            throw EWindowUsage("Unknown option '" + option.toStdString() + "'.");
    const QStringList paths = end < 0 ? options : options + arguments.mid(end + 1);
    for (const QString& path : paths)
        read.Paths << QFileInfo(path).absoluteFilePath();
    return read;
}
