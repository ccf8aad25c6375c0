#pragma once

#include <QDir>
#include <QString>

// How many unfinished outputs encoders are writing in folder right now, each in its run's private folder.
inline int OutputsBeingWritten(const QString& folder)
{
    int count = 0;
    for (const QString& work : QDir(folder).entryList({ ".reelhand-*" }, QDir::Dirs | QDir::Hidden))
        count += QDir(folder + "/" + work).entryList({ "output*" }, QDir::Files).size();
    return count;
}

// The private folders runs have left in folder.
inline QStringList PrivateFolders(const QString& folder)
{
    return QDir(folder).entryList({ ".reelhand-*" }, QDir::Dirs | QDir::Hidden);
}
