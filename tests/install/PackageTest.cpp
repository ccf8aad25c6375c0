// The Debian package as a user meets it: built, unpacked into a root of its own, checked as the desktop's
// tools check it, and run by an ordinary user with nothing of the build folder around.
#include "tests/support/Clips.h"
#include "tests/support/Unprivileged.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace
{

// Standard output and error of a finished program, then "exit N".
QString Output(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(300000))
        return program + " did not finish";
    return QString::fromUtf8(process.readAll()) + "exit " + QString::number(process.exitCode());
}

QStringList FilesBelow(const QString& root)
{
    QStringList files;
    QDirIterator walk(root, QDir::Files, QDirIterator::Subdirectories);
    while (walk.hasNext())
        files << walk.next().mid(root.size() + 1);
    files.sort();
    return files;
}

} // namespace

TEST(Package, InstallsAsLinuxExpectsAndConvertsForAnOrdinaryUser)
{
    QTemporaryDir work;
    QFile::setPermissions(work.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup
            | QFile::ExeGroup);
    ASSERT_TRUE(Output(
        "cpack", { "-G", "DEB", "-B", work.path() + "/package", "--config", REELHAND_BINARY_DIR "/CPackConfig.cmake" })
                    .endsWith("exit 0"));
    const QString deb = work.path() + "/package/" + QDir(work.path() + "/package").entryList({ "*.deb" }).value(0);
    const QString root = work.path() + "/root";
    ASSERT_TRUE(Output("dpkg-deb", { "-x", deb, root }).endsWith("exit 0"));

    // Nothing that is written at run time goes under /usr: no convert/, no bin/ffmpeg beside the program.
    QStringList expected
        = { "usr/bin/reelhand", "usr/bin/reelhand-convert", "usr/share/applications/app.quor.Reelhand.desktop", "usr/share/man/man1/reelhand.1.gz",
              "usr/lib/systemd/user/reelhand-watch@.service",
              "usr/share/metainfo/app.quor.Reelhand.metainfo.xml", "usr/share/reelhand/command" };
    for (const char* size : { "16", "24", "32", "48", "64", "72", "96", "128", "256" })
        expected << QString("usr/share/icons/hicolor/%1x%1/apps/app.quor.Reelhand.png").arg(size);
    expected.sort();
    EXPECT_EQ(FilesBelow(root), expected);
    const QString depends = Output("dpkg-deb", { "-f", deb, "Depends" });
    for (const char* needed : { "ffmpeg", "xdg-utils", "libqt6widgets6", "libqt6dbus6", "libc6" })
        EXPECT_TRUE(depends.contains(needed)) << needed << " " << depends.toStdString();
    EXPECT_EQ(
        Output("desktop-file-validate", { root + "/usr/share/applications/app.quor.Reelhand.desktop" }), "exit 0");
    EXPECT_TRUE(
        Output("appstreamcli", { "validate", "--no-net", root + "/usr/share/metainfo/app.quor.Reelhand.metainfo.xml" })
            .endsWith("exit 0"));

    // The watch's user service, as systemd reads an instance of it, running the unpacked program.
    QFile unit(root + "/usr/lib/systemd/user/reelhand-watch@.service");
    ASSERT_TRUE(unit.open(QIODevice::ReadOnly));
    const QByteArray unitText = unit.readAll();
    EXPECT_TRUE(unitText.contains("ExecStart=/usr/bin/reelhand-convert --watch-settings %i")) << unitText.constData();
    QFile instance(work.path() + "/reelhand-watch@videos.service");
    ASSERT_TRUE(instance.open(QIODevice::WriteOnly));
    instance.write(QByteArray(unitText).replace("/usr/bin/", QFile::encodeName(root) + "/usr/bin/"));
    instance.close();
    QDir().mkpath(work.path() + "/runtime");
    EXPECT_EQ(Output("env", { "XDG_RUNTIME_DIR=" + work.path() + "/runtime", "systemd-analyze", "verify", "--user",
                                "--man=no", instance.fileName() }),
        "exit 0");

    const QString program = root + "/usr/bin/reelhand";
    EXPECT_EQ(Output(program, { "--version" }), "Quor Reelhand 1.0.0\nexit 0");
    const QString noDisplay
        = Output("env", { "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", program });
    EXPECT_TRUE(noDisplay.startsWith("reelhand: the window needs a display") && noDisplay.count('\n') == 1
        && noDisplay.endsWith("--convert LIST.qfl\nexit 2"))
        << noDisplay.toStdString();
    // Every option --help names is in the manual page.
    const QString manual = Output("sh", { "-c", "zcat " + root + "/usr/share/man/man1/reelhand.1.gz" });
    QRegularExpressionMatchIterator options
        = QRegularExpression("--[a-z-]+").globalMatch(Output(program, { "--help" }));
    while (options.hasNext()) {
        const QString option = options.next().captured();
        EXPECT_TRUE(manual.contains(QString(option).replace("-", "\\-"))) << option.toStdString();
    }

    // One row with no output folder, converted by nobody with a home of their own: the catalogue comes from the
    // data folder, the encoder from the PATH, the output goes into that user's Videos folder.
    const QString clip = work.path() + "/clip.avi";
    ASSERT_TRUE(MakeClip(clip, "64x48"));
    QFile list(work.path() + "/one.qfl");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<list><item><filename>" + clip.toUtf8()
        + "</filename><format>16</format><path></path></item></list>\n");
    list.close();
    const QString home = work.path() + "/home";
    QDir().mkpath(home);
    GiveToUnprivilegedUser(home);
    const std::string result = AsUnprivilegedUser([&] {
        const QString command = "env -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME=" + home + " PATH=/usr/bin:/bin "
            + program + " --convert " + list.fileName() + " --quiet 2>&1; echo exit $?";
        std::string output;
        if (FILE* pipe = ::popen(command.toLocal8Bit().constData(), "r")) {
            char buffer[4096];
            while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
                output.append(buffer, got);
            ::pclose(pipe);
        }
        return output;
    });
    EXPECT_TRUE(QString::fromStdString(result).endsWith("exit 0\n")
        && QString::fromStdString(result).contains("Converted 1, failed 0"))
        << result;
    EXPECT_GT(QFileInfo(home + "/Videos/Reelhand/clip.wav").size(), 1000);
}
