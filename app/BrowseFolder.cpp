#include "app/BrowseFolder.h"

#include "toolkit/Application.h"

QString BrowseFolder(QWidget* owner, const QString& title)
{
    // The picker starts with nothing preselected: neither dialog has an earlier folder to offer.
    return IncludeTrailingSlash(Application->Dialogs().BrowseFolder(owner, title));
}

QString IncludeTrailingSlash(const QString& folder)
{
    if (folder.isEmpty())
        return folder;
    qsizetype end = folder.size();
    while (end > 0 && folder[end - 1] == '/')
        --end;
    return folder.left(end) + '/';
}
