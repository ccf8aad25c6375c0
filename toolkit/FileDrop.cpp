#include "toolkit/FileDrop.h"

#include "platform/FileSystem.h"
#include "toolkit/FileNames.h"
#include "toolkit/FolderWalk.h"

#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <algorithm>

TFileDrop::TFileDrop(QWidget* window, QStringList patterns)
    : QObject(window)
    , m_window(window)
    , m_patterns(std::move(patterns))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    // A drag enter and a drag move are drop events too; only the drop itself hands the files over.
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList paths = LocalPaths(drop->mimeData());
    if (paths.isEmpty() || !(drop->possibleActions() & Qt::CopyAction) || (m_walk && m_walk->Running())) {
        drop->ignore();
        return true;
    }
    // Never a move: the file manager would delete the sources once the drop is accepted.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // The source waits until the drop is handled, so the dialogs a drop leads to open after it.
        QTimer::singleShot(0, this, [this, paths] { Dropped(paths); });
    }
    return true;
}

void TFileDrop::Dropped(const QStringList& paths)
{
    const bool folders
        = std::any_of(paths.begin(), paths.end(), [](const QString& path) { return QFileInfo(path).isDir(); });
    if (!folders) {
        if (OnDrop)
            OnDrop(DroppedFiles(paths, m_patterns));
        return;
    }
    // A walk still running (paths handed over while a drop was walked) goes on and deletes itself when done.
    auto walk = [paths, patterns = m_patterns](const std::atomic<bool>* cancelled, std::atomic<int>* found) {
        return DroppedFiles(paths, patterns, cancelled, found);
    };
    m_walk = new TFolderWalk(m_window, walk, [this](const QStringList& files) {
        if (OnDrop)
            OnDrop(files);
    });
}

QStringList LocalPaths(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        // The path's own bytes: toLocalFile would read them as UTF-8 and lose the others.
        const QString path = url.isLocalFile()
            ? NameText(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString())
            : QString();
        if (path.isEmpty())
            return {};
        paths << path;
    }
    return paths;
}

QStringList DroppedFiles(
    const QStringList& paths, const QStringList& patterns, const std::atomic<bool>* cancelled, std::atomic<int>* found)
{
    QStringList files;
    for (const QString& dropped : paths) {
        const QString path = QDir::cleanPath(dropped);
        if (platform::FileExists(NameBytes(path))) {
            files << path;
        } else if (platform::DirectoryExists(NameBytes(path))) {
            // Without QDir::CaseSensitive the patterns match in any letter case; without FollowSymlinks a
            // linked folder is not entered, so a link back up the tree cannot make the walk endless.
            QStringList inFolder;
            QDirIterator walk(path, patterns, QDir::Files, QDirIterator::Subdirectories);
            while (walk.hasNext()) {
                if (cancelled && *cancelled)
                    return {};
                inFolder << walk.next();
                if (found)
                    ++*found;
            }
            std::sort(inFolder.begin(), inFolder.end());
            files << inFolder;
        }
    }
    return files;
}
