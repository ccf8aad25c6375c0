// The private folders runs write into: what a dead run left goes, nothing of anyone else's.
#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>
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
    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList Private() const { return QDir(folder.path()).entryList({ ".reelhand-*" }, QDir::Dirs | QDir::Hidden); }

    QTemporaryDir folder;
};

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
