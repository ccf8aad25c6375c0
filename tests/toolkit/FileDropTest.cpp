#include "toolkit/FileDrop.h"

#include "tests/support/Drops.h"
#include "tests/support/Eventually.h"
#include "toolkit/FolderWalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace
{

void Touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(FileDrop, FoldersGiveTheirSupportedFilesSortedWhileDroppedFilesComeAsTheyAre)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/videos";
    for (const char* name : { "b.avi", "a.MKV", "notes.txt", "sub/deeper/c.avi", ".hidden/d.avi", ".e.avi" })
        Touch(root + "/" + name);
    const QString loose = dir.path() + "/readme.txt";
    Touch(loose);
    // A link back up the tree must not make the walk endless.
    ASSERT_TRUE(QFile::link(root, root + "/sub/loop"));

    const QStringList files = DroppedFiles({ loose, root + "/", dir.path() + "/gone.avi" }, { "*.avi", "*.mkv" });
    EXPECT_EQ(files, QStringList({ loose, root + "/a.MKV", root + "/b.avi", root + "/sub/deeper/c.avi" }));
}

TEST(FileDrop, TakesLocalItemsOnlyAndAlwaysAsACopyThenHandsTheFilesOverAfterTheDrop)
{
    QTemporaryDir dir;
    const QString clip = dir.path() + "/clip.avi";
    Touch(clip);
    // A label over most of the window, as the main window has controls over its face: a drop on it reaches
    // the window.
    QWidget window;
    window.resize(200, 100);
    (new QLabel("drop here", &window))->setGeometry(10, 10, 180, 80);
    QList<QStringList> dropped;
    auto* drop = new TFileDrop(&window, { "*.avi" });
    drop->OnDrop = [&](const QStringList& files) { dropped << files; };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QUrl local = QUrl::fromLocalFile(clip);
    const QUrl remote("https://example.com/clip.avi");
    QMimeData text, remoteOnly, mixed, localOnly;
    text.setText(clip);
    remoteOnly.setUrls({ remote });
    mixed.setUrls({ local, remote });
    localOnly.setUrls({ local });
    const QPoint onLabel(50, 50);
    EXPECT_EQ(DragAndDrop(&window, onLabel, &text), Qt::IgnoreAction);
    EXPECT_EQ(DragAndDrop(&window, onLabel, &remoteOnly), Qt::IgnoreAction);
    EXPECT_EQ(DragAndDrop(&window, onLabel, &mixed), Qt::IgnoreAction);
    EXPECT_EQ(DragAndDrop(&window, onLabel, &localOnly, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_TRUE(dropped.isEmpty());

    EXPECT_EQ(DragAndDrop(&window, onLabel, &localOnly), Qt::CopyAction);
    EXPECT_TRUE(dropped.isEmpty()); // not while the source still waits for the drop to end
    ASSERT_EVENTUALLY(dropped.size() == 1);
    EXPECT_EQ(dropped[0], QStringList({ clip }));
}

// A big folder is walked beside the window, which goes on handling its events, and a cancelled walk adds nothing.
TEST(FileDrop, ABigFolderIsWalkedWithoutHoldingTheWindowAndCanBeCancelled)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/card";
    constexpr int count = 20000;
    for (int i = 0; i < count; ++i)
        Touch(folder + QString("/clip%1.avi").arg(i));
    const std::atomic<bool> cancelled { true };
    std::atomic<int> found { 0 };
    EXPECT_TRUE(DroppedFiles({ folder }, { "*.avi" }, &cancelled, &found).isEmpty());

    QWidget window;
    window.resize(200, 100);
    int ticks = 0;
    int ticksAtDrop = -1;
    QList<QStringList> dropped;
    auto* drop = new TFileDrop(&window, { "*.avi" });
    drop->OnDrop = [&](const QStringList& files) {
        ticksAtDrop = ticks;
        dropped << files;
    };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);

    ASSERT_EQ(DropPaths(&window, QPoint(50, 50), { folder }), Qt::CopyAction);
    // The drop has been handled and the window is free again while the walk goes on; its files come later.
    EXPECT_TRUE(dropped.isEmpty()) << "the folder was walked while the window waited";
    const int ticksAfterDrop = ticks;
    ASSERT_EVENTUALLY(dropped.size() == 1);
    EXPECT_EQ(dropped[0].size(), count);
    EXPECT_GE(ticksAtDrop, ticksAfterDrop);
}

// The walk's box comes up only for a walk slower than its delay, and never outlives the walk: the add-files
// dialog that follows must not open under it.
TEST(FileDrop, TheWalksBoxIsGoneWhenTheWalkEndsWhateverItsTiming)
{
    for (const int walkMs : { 0, 1500 }) {
        QWidget window;
        window.resize(300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto boxShown = [&window] {
            const QList<QProgressDialog*> boxes = window.findChildren<QProgressDialog*>();
            return std::any_of(boxes.begin(), boxes.end(), [](QProgressDialog* box) { return box->isVisible(); });
        };
        bool boxSeen = false;
        bool boxAtEnd = true;
        QStringList files;
        QPointer<TFolderWalk> walk = new TFolderWalk(
            &window,
            [walkMs](const std::atomic<bool>*, std::atomic<int>*) {
                std::this_thread::sleep_for(std::chrono::milliseconds(walkMs));
                return QStringList { "/v/a.avi" };
            },
            [&](const QStringList& found) {
                boxAtEnd = boxShown();
                files = found;
            });
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                boxSeen = boxSeen || boxShown();
                return !files.isEmpty();
            },
            10000));
        // The slow walk is the one whose box once stayed open over the add-files dialog.
        EXPECT_TRUE(boxSeen || walkMs == 0);
        EXPECT_FALSE(boxAtEnd) << walkMs;
        // Box and walk are gone, so nothing can bring the box up later.
        EXPECT_EVENTUALLY(walk.isNull() && window.findChildren<QProgressDialog*>().isEmpty());
    }
}
