#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QMimeData;
class QWidget;

// Lets a window take files and folders dragged onto it from a file manager. The drag is accepted, as a
// copy, only when every dragged item is a local file or folder, so the source never deletes what it sent.
// After the drop has ended, OnDrop gets the files to add (see DroppedFiles).
class TFileDrop : public QObject
{
public:
    // Makes the window (and so every child that takes no drops itself) a drop target; owned by the window.
    // patterns are the file name patterns ("*.avi") that the files found in a dropped folder must match.
    TFileDrop(QWidget* window, QStringList patterns);

    // Raised once per drop, after the drop itself has ended, with the files in the order of DroppedFiles.
    std::function<void(const QStringList& files)> OnDrop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStringList m_patterns;
};

// The local paths of a drag's items; empty when it carries no item or any item that is not a local path.
QStringList LocalPaths(const QMimeData* data);

// The files a drop of these paths adds, as a file-open dialog would have chosen them: a file as it is; a
// folder as the files below it, sub-folders too, that match one of the patterns (letter case aside),
// sorted by path. Hidden entries and linked folders are not walked; paths that no longer exist are left out.
QStringList DroppedFiles(const QStringList& paths, const QStringList& patterns);
