// The private folders runs write into: what a dead run left goes, nothing of anyone else's.
#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// Dead runs of this user left their private folders, unlocked: the next run removes the one that holds only what
// runs write, and names the one where something else was put. A living run's, another user's, a fresh one without
// its lock yet and a user's own folder of a like name stay.
TEST_F(WorkFolderTest, OnlyWhatDeadRunsProvablyLeftIsRemoved)
{
    int error = 0;
    platform::TWorkFolder living;
    ASSERT_TRUE(living.Make(folder.path().toStdString(), error));
    for (const char* name : { ".reelhand-Dead01", ".reelhand-Dead02" }) {
        // What a killed run leaves: its folder with the lock file and a partial output, and no lock held.
        const pid_t run = ::fork();
        if (run == 0) {
            platform::TWorkFolder dead;
            ::_exit(dead.Make(folder.path().toStdString(), error)
                        && ::rename(dead.Path().c_str(), PathOf(name).c_str()) == 0
                    ? 0
                    : 1);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(run, &status, 0), run);
        ASSERT_EQ(status, 0);
        Write(QString::fromStdString(PathOf(name)) + "/output.mp4", "partial");
    }
    Write(QString::fromStdString(PathOf(".reelhand-Dead02")) + "/precious", "mine");
    for (const char* name : { ".reelhand-x", ".reelhand-other", ".reelhand-fresh" }) {
        ASSERT_TRUE(QDir(folder.path()).mkdir(name));
        ASSERT_EQ(::chmod(PathOf(name).c_str(), 0700), 0);
    }
    Write(folder.path() + "/.reelhand-x/lock", "");
    Write(folder.path() + "/.reelhand-x/notes.txt", "mine");
    ASSERT_EQ(::chown(PathOf(".reelhand-other").c_str(), 65534, 65534), 0);

    const std::vector<std::string> named = platform::RemoveAbandonedWorkFolders(folder.path().toStdString());

    EXPECT_EQ(named, std::vector<std::string> { ".reelhand-Dead02" });
    QStringList left = Private();
    QStringList kept = { ".reelhand-Dead02", ".reelhand-fresh", ".reelhand-other", ".reelhand-x",
        QString::fromStdString(living.Path()).section('/', -1) };
    left.sort();
    kept.sort();
    EXPECT_EQ(left, kept);
    EXPECT_TRUE(QFile::exists(folder.path() + "/.reelhand-x/notes.txt"));
    EXPECT_TRUE(QFile::exists(folder.path() + "/.reelhand-Dead02/precious"));
}

} // namespace
