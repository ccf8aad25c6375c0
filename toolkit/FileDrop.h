#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <functional>

class QMimeData;
class QWidget;
class TFolderWalk;

// Lets a window take files and folders dragged onto it from a file manager. The drag is accepted, as a
// copy, only when every dragged item is a local file or folder, so the source never deletes what it sent.
// After the drop has ended, OnDrop gets the files to add (see DroppedFiles); a drop with folders is walked
// without holding up the window (see TFolderWalk), and no other drop is taken until that walk has ended.
class TFileDrop : public QObject
{
public:
    // Makes the window (and so every child that takes no drops itself) a drop target; owned by the window.
    // patterns are the file name patterns ("*.avi") that the files found in a dropped folder must match.
    TFileDrop(QWidget* window, QStringList patterns);

    // Adds paths as a drop of them does, with no drag: files named on a command line.
    void Add(const QStringList& paths) { Dropped(paths); }

    // Raised once per drop, after the drop itself has ended, with the files in the order of DroppedFiles.
    std::function<void(const QStringList& files)> OnDrop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Dropped(const QStringList& paths);

    QWidget* m_window;
    QStringList m_patterns;
    QPointer<TFolderWalk> m_walk;
};

// The local paths of a drag's items; empty when it carries no item or any item that is not a local path.
QStringList LocalPaths(const QMimeData* data);

// The files a drop of these paths adds, as a file-open dialog would have chosen them: a file as it is; a
// folder as the files below it, sub-folders too, that match one of the patterns (letter case aside),
// sorted by path. Hidden entries and linked folders are not walked; paths that no longer exist are left out.
// The walk counts the files found so far into found, and stops with no files once cancelled is set.
QStringList DroppedFiles(const QStringList& paths, const QStringList& patterns,
    const std::atomic<bool>* cancelled = nullptr, std::atomic<int>* found = nullptr);
