#include "XmlTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

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

TEST(XmlFile, LoadingAMissingFileOrAFolderNamesThePath)
{
    QTemporaryDir dir;
    const std::string missing = dir.filePath("none.qfl").toStdString();
    TJclSimpleXML document;
    EXPECT_EQ(MessageOf<EFOpenError>([&] { document.LoadDocument(missing); }),
              "Cannot open file \"" + missing + "\". No such file or directory");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { document.LoadDocument(dir.path().toStdString()); }),
              "Cannot open file \"" + dir.path().toStdString() + "\". Is a directory");
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

TEST(XmlFile, UnwritableTargetIsRefusedAndKept)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("locked");
    QDir().mkdir(folder);
    const QString target = folder + "/list.qfl";
    WriteBytes(target, "<old/>");
    QFile::setPermissions(target, QFile::ReadOwner);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(target).isWritable()) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "permissions do not bind this user (root)";
    }
    TJclSimpleXML document;
    document.SetRootName("list");
    const std::string message = MessageOf<EFOpenError>([&] { document.SaveDocument(target.toStdString()); });
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(message, "Cannot open file \"" + target.toStdString() + "\". Permission denied");
    EXPECT_EQ(ReadBytes(target), "<old/>");
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
}

} // namespace
