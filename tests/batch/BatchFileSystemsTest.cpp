// Output folders on file systems that lack what the usual ones offer: a good row leaves its file and nothing else.
#include "tests/batch/BatchProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace
{

struct TMount {
    const char* Name;
    const char* Tool;
    // Mounts at $1, with $2 a folder or image file of its own to hold what the mount shows.
    const char* Command;
};

// bindfs passes everything on but keeps a file removed while open as a hidden one; vfat through FUSE can neither
// rename without replacing, nor link, nor keep notes.
const TMount Mounts[] = {
    { "bindfs", "bindfs", "mkdir \"$2\" && bindfs \"$2\" \"$1\"" },
    { "vfat", "fusefat", "mkfs.vfat -C \"$2\" 8192 >/dev/null && fusefat -o rw+ \"$2\" \"$1\"" },
};

// A FUSE mount at a new folder, unmounted when this goes.
class TFuseMount
{
public:
    // Mounts at a folder of program's; Point() stays empty, with why, where FUSE or the tool is missing here.
    TFuseMount(const TMount& mount, const TBatchProgram& program)
    {
        if (!QFileInfo::exists("/dev/fuse"))
            m_why = "/dev/fuse is missing";
        else if (QStandardPaths::findExecutable(mount.Tool).isEmpty())
            m_why = QString(mount.Tool) + " is not installed";
        else if (QProcess::execute("/bin/sh",
                     { "-c", mount.Command, "mount", program.Folder("mount"), program.Folder(".") + "/backing" })
            != 0)
            m_why = "it cannot be mounted here";
        else
            m_point = program.Folder("mount");
    }
    ~TFuseMount()
    {
        if (!m_point.isEmpty())
            QProcess::execute("fusermount", { "-u", m_point });
    }
    const QString& Point() const { return m_point; }
    const QString& Why() const { return m_why; }

private:
    QString m_point;
    QString m_why;
};

using BatchFileSystems = ::testing::TestWithParam<TMount>;

} // namespace

TEST_P(BatchFileSystems, AGoodRowLeavesItsFileAndNothingElse)
{
    TBatchProgram program;
    const TFuseMount mount(GetParam(), program);
    if (mount.Point().isEmpty())
        GTEST_SKIP() << "No " << GetParam().Name << " mount: " << mount.Why().toStdString() << ".";
    const TBatchProgram::TRow row { program.Source("clip.avi"), 0, mount.Point() };

    const TBatchProgram::TResult result = program.Run({ "--convert", program.WriteList("l.qfl", { row, row }) });

    EXPECT_EQ(result.ExitCode, 0) << result.Out.toStdString();
    EXPECT_EQ(QDir(mount.Point()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ "clip.mp4", "clip_2.mp4" }));
    EXPECT_EQ(QFileInfo(mount.Point() + "/clip_2.mp4").size(), QFileInfo(row.FileName).size());
}

INSTANTIATE_TEST_SUITE_P(Mounts, BatchFileSystems, ::testing::ValuesIn(Mounts),
    [](const ::testing::TestParamInfo<TMount>& info) { return std::string(info.param.Name); });
