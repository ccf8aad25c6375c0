#include "toolkit/Locations.h"

#include "toolkit/ProgramFolder.h"
#include "toolkit/Exception.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace
{

const QString OutputFolderKey = "OutputFolder";

QString ProgramFile(const QString& name)
{
    return ProgramFolder() + "/" + name;
}

QString WithSlash(const QString& folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

} // namespace

void SetProgramNames()
{
    QCoreApplication::setOrganizationName("Quor");
    QCoreApplication::setApplicationName("Reelhand");
}

std::string FindEncoder()
{
    const QString beside = ProgramFile("bin/ffmpeg");
    if (QFileInfo::exists(beside))
        return beside.toStdString();
    const QString onPath = QStandardPaths::findExecutable("ffmpeg");
    return (onPath.isEmpty() ? beside : onPath).toStdString();
}

std::string CataloguePath()
{
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/command";
    const QString beside = ProgramFile("command");
    const QString shared = ProgramFile("../share/reelhand/command");
    for (const QString& path : { own, beside, shared })
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path).toStdString();
    return beside.toStdString();
}

QString DefaultOutputFolder()
{
    const QString chosen = ChosenOutputFolder();
    if (!chosen.isEmpty())
        return WithSlash(chosen);
    // An installed program's folder is the system's: even root, who could write there, gets the Videos folder.
    const QFileInfo convert(ProgramFile("convert"));
    if (convert.isDir() && convert.isWritable())
        return convert.filePath() + '/';
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation)) + "Reelhand/";
}

std::string MakeDefaultOutputFolder()
{
    const QString folder = DefaultOutputFolder();
    if (!QDir().mkpath(folder))
        throw Exception("The output folder " + folder.toStdString()
            + " cannot be made: check that its parent folder exists and may be written.");
    return folder.toStdString();
}

QString ChosenOutputFolder()
{
    return QSettings().value(OutputFolderKey).toString();
}

void SetChosenOutputFolder(const QString& folder)
{
    QSettings().setValue(OutputFolderKey, folder);
}

QString FirstDialogFolder()
{
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    return QFileInfo(videos).isDir() ? videos : QDir::homePath();
}

QString KeptListFile()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is invalid by the XDG rules and is passed over, as other desktop programs do.
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + "/.local/state";
    return base + "/" + QCoreApplication::organizationName() + "/" + QCoreApplication::applicationName() + "/list.qfl";
}
