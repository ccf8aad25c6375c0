#include "watch/WatchSettingsFile.h"

#include "platform/FileIO.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>

std::string WatchSettingsPath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    return (QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/watch/"
        + QString::fromStdString(name) + ".conf")
        .toStdString();
}

bool ReadWatchSettings(const std::string& path, QStringList& arguments, std::string& message)
{
    platform::TFileBytes bytes;
    std::string reason;
    if (!platform::ReadWholeFile(path, bytes, reason)) {
        message = "The watch's settings " + path + " cannot be read: " + reason + ".";
        return false;
    }
    static const QRegularExpression form("^([a-z][a-z-]*)\\s*(?:=\\s*(.*?))?\\s*$");
    const QStringList lines = QString::fromUtf8(bytes.View().data(), qsizetype(bytes.View().size())).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QRegularExpressionMatch match = form.match(line);
        if (!match.hasMatch()) {
            message = path + ", line " + std::to_string(i + 1) + ": \"option = value\" or \"option\" is expected, not '"
                + line.toStdString() + "'.";
            return false;
        }
        arguments << "--" + match.captured(1);
        if (match.hasCaptured(2))
            arguments << match.captured(2);
    }
    return true;
}
