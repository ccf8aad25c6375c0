#pragma once

#include <QStringList>
#include <string>

// A watch's settings as a file of its own, for a user service that names it (reelhand-watch@NAME.service reads
// NAME.conf in the watch folder of the program's config folder). Each line is "option = value" or "option", the
// command line's long options without their dashes ("watch = /home/me/Drop", "format = 0", "poll"); blank lines
// and lines starting with # are passed over. A value is one word, blanks and all.

// The settings file a name stands for: a name holding a '/' is a path, else NAME.conf in
// ~/.config/Quor/Reelhand/watch/.
std::string WatchSettingsPath(const std::string& name);
// The file's settings as command-line words ("--watch", "/home/me/Drop", "--format", "0", ...). False with the
// message for the user when the file cannot be read or a line is not of that form.
bool ReadWatchSettings(const std::string& path, QStringList& arguments, std::string& message);
