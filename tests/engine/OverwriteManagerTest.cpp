#include "engine/overwriteManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Output names never overwrite a file: each clash adds "_2" before the extension; folders never clash.
class OverwriteManagerTest : public ::testing::Test {
protected:
    std::string PathOf(const QString& name) const { return (folder.path() + "/" + name).toStdString(); }
    void Touch(const QString& name) const
    {
        QFile file(folder.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir folder;
    TOverwriteManager names;
};

TEST_F(OverwriteManagerTest, FreeNameComesBackUnchanged)
{
    EXPECT_EQ(names.UniqueName(PathOf("clip.flv")), PathOf("clip.flv"));
}

TEST_F(OverwriteManagerTest, EachClashAddsAnotherSuffix)
{
    Touch("clip.flv");
    EXPECT_EQ(names.UniqueName(PathOf("clip.flv")), PathOf("clip_2.flv"));
    Touch("clip_2.flv");
    EXPECT_EQ(names.UniqueName(PathOf("clip.flv")), PathOf("clip_2_2.flv"));
    Touch("clip_2_2.flv");
    EXPECT_EQ(names.UniqueName(PathOf("clip.flv")), PathOf("clip_2_2_2.flv"));
    EXPECT_TRUE(QFile::exists(folder.path() + "/clip.flv"));
}

TEST_F(OverwriteManagerTest, NameWithoutExtensionGetsTheSuffixAppended)
{
    Touch("clip");
    EXPECT_EQ(names.UniqueName(PathOf("clip")), PathOf("clip_2"));
    Touch("clip_2");
    EXPECT_EQ(names.UniqueName(PathOf("clip")), PathOf("clip_2_2"));
}

TEST_F(OverwriteManagerTest, OnlyTheLastDotOfTheNameStartsTheExtension)
{
    Touch("movie.part1.mp4");
    EXPECT_EQ(names.UniqueName(PathOf("movie.part1.mp4")), PathOf("movie.part1_2.mp4"));
}

TEST_F(OverwriteManagerTest, DotInTheFolderIsNotAnExtension)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("v1.0"));
    Touch("v1.0/clip");
    EXPECT_EQ(names.UniqueName(PathOf("v1.0/clip")), PathOf("v1.0/clip_2"));
}

TEST_F(OverwriteManagerTest, FolderOfTheSameNameIsNoClash)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("clip.flv"));
    EXPECT_EQ(names.UniqueName(PathOf("clip.flv")), PathOf("clip.flv"));
}

TEST_F(OverwriteManagerTest, MissingFolderIsKeptAsGiven)
{
    EXPECT_EQ(names.UniqueName(PathOf("not/there/clip.flv")), PathOf("not/there/clip.flv"));
}

TEST_F(OverwriteManagerTest, ReservedNameCountsAsTaken)
{
    Touch(".clip.flv.reserved");
    EXPECT_EQ(names.UniqueName(PathOf("clip.flv")), PathOf("clip_2.flv"));
}
