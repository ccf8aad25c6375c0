#pragma once

#include <QString>

class QWidget;

// The folder picker of both dialogs: asks the user for a folder under the given title and returns it with
// exactly one trailing "/" ("/" itself stays "/"), or an empty text when the user cancelled.
QString BrowseFolder(QWidget* owner, const QString& title);

// A folder path ending in exactly one "/"; the root stays "/", an empty text stays empty.
QString IncludeTrailingSlash(const QString& folder);
