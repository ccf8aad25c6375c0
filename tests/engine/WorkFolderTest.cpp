// The private folder a run writes into, and the move that gives its finished file a name.
#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

class WorkFolderTest : public ::testing::Test
{
protected:
    std::string PathOf(const QString& name) const { return (folder.path() + "/" + name).toStdString(); }
    void Write(const QString& path, const QByteArray& bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList Private() const { return QDir(folder.path()).entryList({ ".reelhand-*" }, QDir::Dirs | QDir::Hidden); }

    QTemporaryDir folder;
};

// Whatever stands at a name (a file, a link to nowhere, a folder, a pipe) keeps it: the move goes nowhere through
// it and leaves it as it was.
TEST_F(WorkFolderTest, PublishTakesOnlyANameWhereNothingStands)
{
    Write(folder.path() + "/file.mp4", "someone's");
    ASSERT_EQ(::symlink(PathOf("elsewhere/new.mp4").c_str(), PathOf("link.mp4").c_str()), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir("dir.mp4"));
    ASSERT_EQ(::mkfifo(PathOf("pipe.mp4").c_str(), 0666), 0);

    platform::TWorkFolder work;
    int error = 0;
    ASSERT_TRUE(work.Make(folder.path().toStdString(), error)) << error;
    struct stat info {
    };
    ASSERT_EQ(::stat(work.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    for (const QString& taken : { "file.mp4", "link.mp4", "dir.mp4", "pipe.mp4" }) {
        Write(QString::fromStdString(work.Path()) + "output.mp4", "finished");
        EXPECT_FALSE(work.Publish("output.mp4", PathOf(taken), error)) << taken.toStdString();
        EXPECT_EQ(error, EEXIST) << taken.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder.path() + "/elsewhere/new.mp4"));
    QFile kept(folder.path() + "/file.mp4");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "someone's");

    EXPECT_TRUE(work.Publish("output.mp4", PathOf("free.mp4"), error));
    EXPECT_TRUE(QFileInfo(folder.path() + "/free.mp4").isFile());
    Write(QString::fromStdString(work.Path()) + "output.mp4", "unfinished");
    work.~TWorkFolder();
    new (&work) platform::TWorkFolder;
    EXPECT_TRUE(Private().isEmpty()) << "a run's private folder goes with it";
}

// A dead run of this user left its private folder, unlocked: the next run removes it. A living run's, another
// user's and a fresh one without its lock yet stay.
TEST_F(WorkFolderTest, OnlyAbandonedFoldersOfThisUserAreRemoved)
{
    int error = 0;
    platform::TWorkFolder living;
    ASSERT_TRUE(living.Make(folder.path().toStdString(), error));
    auto dead = std::make_unique<platform::TWorkFolder>();
    ASSERT_TRUE(dead->Make(folder.path().toStdString(), error));
    const QString deadPath = QString::fromStdString(dead->Path());
    // What a killed run leaves: its folder with the lock file and a partial output, and no lock held.
    const std::string copy = (folder.path() + "/.reelhand-copy").toStdString();
    ASSERT_EQ(::rename(dead->Path().c_str(), copy.c_str()), 0);
    dead.reset();
    Write(QString::fromStdString(copy) + "/output.mp4", "partial");
    ASSERT_TRUE(QDir(folder.path()).mkdir(".reelhand-other"));
    ASSERT_EQ(::chmod(PathOf(".reelhand-other").c_str(), 0700), 0);
    ASSERT_EQ(::chown(PathOf(".reelhand-other").c_str(), 65534, 65534), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir(".reelhand-fresh"));
    ASSERT_EQ(::chmod(PathOf(".reelhand-fresh").c_str(), 0700), 0);

    platform::RemoveAbandonedWorkFolders(folder.path().toStdString());

    QStringList left = Private();
    QStringList kept
        = { ".reelhand-fresh", ".reelhand-other", QString::fromStdString(living.Path()).section('/', -2, -2) };
    left.sort();
    kept.sort();
    EXPECT_EQ(left, kept);
}

} // namespace
