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

// A name that cannot be tested is never taken for a free one; every such case ends in an error naming the path,
// also where each further clash would only make another name that cannot be tested.
TEST_F(OverwriteManagerTest, NameThatCannotBeMadeIsAnErrorWithTheReason)
{
    const QString longName(247, 'a');
    for (const QString& name : {QString("zero"), longName + ".flv", longName + "_2.flv", longName + "_2_2.flv"})
        Touch(name);
    Touch("plain");
    const std::pair<std::string, std::string> cases[] = {
        // The system would test "zero" alone, the same file on every pass.
        {PathOf("zero") + std::string("\0.flv", 5), "The name holds a 0 byte"},
        {PathOf(QString(300, 'b') + ".flv"), "File name too long"},
        {PathOf(longName + ".flv"), "File name too long"},
        {PathOf("plain/clip.flv"), "Not a directory"},
    };
    for (const auto& [path, reason] : cases) {
        std::string message = "no error";
        try {
            names.UniqueName(path);
        } catch (const EOutputNameError& error) {
            message = error.Message();
        }
        std::string shown = path;
        if (const size_t zero = shown.find('\0'); zero != std::string::npos)
            shown.replace(zero, 1, "\\0");
        EXPECT_EQ(message, "No output file name can be made from \"" + shown + "\". " + reason);
    }
}
