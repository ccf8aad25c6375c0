#include "tests/batch/BatchProgram.h"

#include "tests/support/Clips.h"
#include "toolkit/FileNames.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

TBatchProgram::TBatchProgram(bool realEncoder, bool convertOnly)
    : m_name(convertOnly ? "reelhand-convert" : "reelhand")
{
    const QDir root(m_dir.path());
    EXPECT_TRUE(root.mkpath("program/bin") && root.mkpath("program/convert") && root.mkpath("clips"));
    // The program finds bin/ffmpeg, the catalogue and convert/ beside its own file, so it needs a file of its own
    // here: a hard link, or a copy where the build is on another file system.
    const QString program = Path() + "/" + m_name;
    const char* built = convertOnly ? REELHAND_CONVERT_EXECUTABLE : REELHAND_EXECUTABLE;
    if (::link(built, program.toLocal8Bit().constData()) != 0)
        EXPECT_TRUE(QFile::copy(built, program));
    EXPECT_TRUE(QFile::link(realEncoder ? REELHAND_FFMPEG : REELHAND_FAKEENCODER, Path() + "/bin/ffmpeg"));
    if (realEncoder) {
        EXPECT_TRUE(QFile::copy(REELHAND_SOURCE_DIR "/resources/command", Path() + "/command"));
        return;
    }
    QFile catalogue(Path() + "/command");
    EXPECT_TRUE(catalogue.open(QIODevice::WriteOnly));
    catalogue.write("<commands><command><format>Stand-in</format><params>-n</params><ext>mp4</ext></command>"
                    "</commands>");
}

QString TBatchProgram::Folder(const QString& name) const
{
    QDir(m_dir.path()).mkpath(name);
    return m_dir.path() + "/" + name;
}

QString TBatchProgram::Source(const QString& name, const QByteArray& script) const
{
    const QString path = m_dir.path() + "/clips/" + name;
    EXPECT_TRUE(MakeScriptedClip(path, script));
    return path;
}

QString TBatchProgram::WriteList(const QString& name, const std::vector<TRow>& rows) const
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<list>\r\n";
    for (const TRow& row : rows) {
        xml += "  <item>\r\n    <filename>" + QByteArray::fromStdString(NameBytes(row.FileName.toHtmlEscaped()))
            + "</filename>\r\n    <format>" + QByteArray::number(row.Format) + "</format>\r\n    <path>"
            + QByteArray::fromStdString(NameBytes(row.Path.toHtmlEscaped())) + "</path>\r\n  </item>\r\n";
    }
    xml += "</list>\r\n";
    const QString path = m_dir.path() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(xml);
    return path;
}

std::unique_ptr<QProcess> TBatchProgram::Start(const QStringList& arguments, const std::function<void()>& inChild) const
{
    auto process = std::make_unique<QProcess>();
    // As on a server: no display of any kind, and nothing that picks a platform for Qt.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(name);
    process->setProcessEnvironment(environment);
    if (inChild)
        process->setChildProcessModifier(inChild);
    process->start(Path() + "/" + m_name, arguments);
    EXPECT_TRUE(process->waitForStarted());
    return process;
}

TBatchProgram::TResult TBatchProgram::Run(const QStringList& arguments, int timeoutMs) const
{
    std::unique_ptr<QProcess> process = Start(arguments);
    TResult result;
    if (process->waitForFinished(timeoutMs) && process->exitStatus() == QProcess::NormalExit)
        result.ExitCode = process->exitCode();
    else
        process->kill();
    result.Out = QString::fromUtf8(process->readAllStandardOutput());
    result.Err = QString::fromUtf8(process->readAllStandardError());
    return result;
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
