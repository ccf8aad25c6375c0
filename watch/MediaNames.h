#pragma once

#include <QString>
#include <QStringList>

// The extensions of the video and sound files the program takes as sources, lower case without the dot, as the
// add-files dialog's "All Supported Formats" filter offers them.
const QStringList& MediaExtensions();
// True when name ends in one of them, whatever its case ("CLIP.MP4").
bool IsMediaName(const QString& name);
