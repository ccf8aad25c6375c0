#include "app/SaveFolder.h"

#include "app/BrowseFolder.h"

#include <QDir>
#include <QFileInfo>

namespace
{

QString Quoted(const QString& path)
{
    return "\"" + path + "\"";
}

} // namespace

QString CheckedSaveFolder(const QString& typed)
{
    QString folder = typed.trimmed();
    if (folder.isEmpty())
        return folder;
    if (folder == "~" || folder.startsWith("~/"))
        folder = QDir::homePath() + folder.mid(1);
    if (!QDir::isAbsolutePath(folder))
        throw ESaveFolderError("The save path " + Quoted(folder).toStdString()
            + " is not a full path: type it from the top, starting with \"/\", or leave it blank to use the "
              "global path.");
    folder = IncludeTrailingSlash(QDir::cleanPath(folder));
    // The folder itself, or the nearest folder above it that is there, must take new files.
    QFileInfo there(folder);
    while (!there.exists() && !there.isRoot())
        there.setFile(there.absolutePath());
    if (!there.isDir())
        throw ESaveFolderError(Quoted(there.filePath()).toStdString() + " is a file, so the save path "
            + Quoted(folder).toStdString() + " cannot be a folder.");
    if (!there.isWritable())
        throw ESaveFolderError("Nothing can be written into " + Quoted(there.filePath()).toStdString()
            + ", so the save path " + Quoted(folder).toStdString() + " cannot be used.");
    return folder;
}
