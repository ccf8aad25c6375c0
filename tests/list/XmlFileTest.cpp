#include "XmlTestSupport.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

template <class E>
std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const E& error) {
        return error.Message();
    }
    return "no error";
}

TEST(XmlFile, SavedFileHoldsExactlyTheWrittenBytesAndLoadsBack)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("list.qfl").toStdString();
    TJclSimpleXML document;
    document.SetPrologEncoding("UTF-8");
    document.SetRootName("list");
    document.Root().AppendChild("item")->AppendChild("filename")->SetValue("/v/\xC3\xA9 & <x>.avi");
    document.SaveDocument(path);
    EXPECT_EQ(ReadBytes(dir.filePath("list.qfl")), document.SaveToString());

    TJclSimpleXML reread;
    reread.LoadDocument(path);
    EXPECT_EQ(reread.Root().ChildAt(0)->ChildNamed("FileName")->Value(), "/v/\xC3\xA9 & <x>.avi");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.qfl"});
}

// Only regular files are read: a device would be read without end, and a named pipe would hold the caller in
// open until some other program writes to it.
TEST(XmlFile, LoadingAnythingButARegularFileIsRefusedAtOnceWithThePath)
{
    QTemporaryDir dir;
    const std::string pipe = dir.filePath("pipe.qfl").toStdString();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {dir.filePath("none.qfl").toStdString(), "No such file or directory"},
        {dir.path().toStdString(), "Is a directory"},
        {"/dev/zero", "Not a regular file"},
        {pipe, "Not a regular file"},
    };
    for (const auto& [path, reason] : cases) {
        TJclSimpleXML document;
        EXPECT_EQ(MessageOf<EFOpenError>([&] { document.LoadDocument(path); }),
                  "Cannot open file \"" + path + "\". " + reason);
    }
}

// The system reads a name only up to a 0 byte; a query about the whole name must not answer for that part.
TEST(XmlFile, NoFileQueryCutsANameAtAZeroByte)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("list.qfl");
    WriteBytes(existing, "<old/>");
    const std::string cut = existing.toStdString() + std::string("\0.qfl", 5);
    int error = 0;
    EXPECT_FALSE(platform::FileExists(cut));
    EXPECT_FALSE(platform::FileExists(cut, error));
    EXPECT_EQ(error, EINVAL);
    EXPECT_EQ(platform::FileSize(cut), -1);
    EXPECT_TRUE(platform::RemoveFile(cut, error)); // there is no such file to remove
    TJclSimpleXML document;
    EXPECT_THROW(document.LoadDocument(cut), EFOpenError);
    EXPECT_THROW(document.SaveDocument(cut), EFCreateError);
    EXPECT_EQ(ReadBytes(existing), "<old/>");
}

TEST(XmlFile, SavingIntoAMissingFolderIsACreateError)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("no/such/list.qfl").toStdString();
    TJclSimpleXML document;
    EXPECT_EQ(MessageOf<EFCreateError>([&] { document.SaveDocument(path); }),
              "Cannot create file \"" + path + "\". No such file or directory");
}

// The file size limit makes the write fail part way, the way a full disk does.
TEST(XmlFile, FailedWriteLeavesTheExistingFileUntouched)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("list.qfl");
    WriteBytes(target, "<old/>");
    TJclSimpleXML document;
    document.SetRootName("list");
    for (int i = 0; i < 20000; ++i)
        document.Root().AppendChild("item")->SetValue(std::string(100, 'v'));

    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string message
        = MessageOf<EWriteError>([&] { document.SaveDocument(target.toStdString()); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(message, "Cannot write file \"" + target.toStdString() + "\". File too large");
    EXPECT_EQ(ReadBytes(target), "<old/>");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.qfl"});
}

TEST(XmlFile, ReplacedFileKeepsItsPermissionsAndLinks)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.qfl");
    const QString link = dir.filePath("link.qfl");
    WriteBytes(real, "<old/>");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(real, permissions);
    QFile::link(real, link);
    TJclSimpleXML document;
    document.SetRootName("new");
    document.SaveDocument(link.toStdString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(real), document.SaveToString());
    const auto ownerGroupOther = QFileDevice::Permissions(0xF0FF); // without the "current user" bits
    EXPECT_EQ(QFile::permissions(real) & ownerGroupOther, permissions & ownerGroupOther);

    // A link to a file not yet there is written through, as a plain write does: the file is made where the link
    // points (a relative link from the link's folder), and the link stays.
    QDir(dir.path()).mkdir("sub");
    const QString dangling = dir.filePath("sub/dangling.qfl");
    ASSERT_EQ(::symlink("../made.qfl", dangling.toLocal8Bit().constData()), 0);
    document.SaveDocument(dangling.toStdString());
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(ReadBytes(dir.filePath("made.qfl")), document.SaveToString());
}

} // namespace
