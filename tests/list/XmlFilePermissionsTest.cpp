#include "list/JclSimpleXML.h"
#include "tests/list/ListFileSupport.h"
#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Every change of the process's umask made while this executable runs, counted: the umask is shared by all
// threads, and a child spawned by another thread while it is changed inherits the changed one.
namespace {
int UmaskChanges = 0;
}
extern "C" mode_t umask(mode_t mask) noexcept
{
    ++UmaskChanges;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace {

const QFile::Permissions ReadOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
const QFile::Permissions ReadWrite = ReadOnly | QFile::WriteOwner;
const QFile::Permissions Locked = QFile::ReadOwner | QFile::ExeOwner;
const QFile::Permissions Open = Locked | QFile::WriteOwner;
const QFile::Permissions OwnerGroupOther = QFileDevice::Permissions(0xF0FF); // without the "current user" bits

std::string NewDocumentBytes()
{
    TJclSimpleXML document;
    document.SetRootName("new");
    return document.SaveToString();
}

// Saves a new document at path as an ordinary user: "saved", or the message of the error. With a limit, no file
// can grow past that many bytes, as on a disk that is full.
std::string SaveAsUser(const std::string& path, rlim_t limit)
{
    return AsUnprivilegedUser([&] {
        const rlimit full{limit, limit};
        if (limit > 0 && (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &full) != 0))
            return std::string("no limit");
        TJclSimpleXML document;
        document.SetRootName("new");
        try {
            document.SaveDocument(path);
        } catch (const Exception& error) {
            return error.Message();
        }
        return std::string("saved");
    });
}

// Exporting where a plain write would be refused is refused the same way, and the old file stays; where the
// folder takes no new file but the file itself may be written, it is written in place.
TEST(XmlFileAsUser, PermissionsBindAsForAPlainWrite)
{
    struct Case {
        const char* name;
        bool existing;
        QFile::Permissions file;
        QFile::Permissions folder;
        const char* result; // the message's start, or "saved"
        rlim_t limit = 0; // bytes the disk takes, 0 for no limit
        const char* reason = "Permission denied";
    };
    const Case cases[] = {
        {"read-only file", true, ReadOnly, Open, "Cannot open file"},
        {"read-only file in a locked folder", true, ReadOnly, Locked, "Cannot open file"},
        {"writable file in a locked folder", true, ReadWrite, Locked, "saved"},
        {"new file in a locked folder", false, {}, Locked, "Cannot create file"},
        {"writable file", true, ReadWrite, Open, "saved"},
        {"writable file in a locked folder, disk full", true, ReadWrite, Locked, "Cannot write file", 20,
         "File too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString folder = dir.filePath("folder");
        const QString target = folder + "/list.qfl";
        QDir().mkdir(folder);
        GiveToUnprivilegedUser(dir.path());
        GiveToUnprivilegedUser(folder);
        if (c.existing) {
            WriteBytes(target, "<old/>");
            GiveToUnprivilegedUser(target);
            QFile::setPermissions(target, c.file);
        }
        QFile::setPermissions(folder, c.folder);
        const std::string result = SaveAsUser(target.toStdString(), c.limit);
        QFile::setPermissions(folder, Open);

        const bool saved = std::string(c.result) == "saved";
        EXPECT_EQ(result, saved ? "saved" : c.result + (" \"" + target.toStdString() + "\". ") + c.reason);
        EXPECT_EQ(ReadBytes(target), saved ? NewDocumentBytes() : c.existing ? "<old/>" : "<missing>");
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                  c.existing || saved ? QStringList{"list.qfl"} : QStringList());
        if (c.existing)
            EXPECT_EQ(QFile::permissions(target) & OwnerGroupOther, c.file);
    }
}

TEST(XmlFileMode, NewFileGetsTheUsualPermissionsWithoutTheUmaskBeingChanged)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("list.qfl");
    const mode_t saved = ::umask(027);
    UmaskChanges = 0;
    TJclSimpleXML document;
    document.SaveDocument(target.toStdString());
    const int changes = UmaskChanges;
    ::umask(saved);

    EXPECT_EQ(changes, 0);
    struct stat info {};
    ASSERT_EQ(::stat(target.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

} // namespace
