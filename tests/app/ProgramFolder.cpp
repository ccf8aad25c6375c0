#include "tests/app/ProgramFolder.h"

#include "tests/support/Clips.h"
#include "toolkit/Application.h"

#include <QDir>
#include <QFile>
#include <QSettings>

TProgramFolder::TProgramFolder(const QByteArray& catalogue, bool realEncoder)
{
    QDir dir(m_dir.path());
    dir.mkpath("bin");
    dir.mkpath("convert");
    QFile::link(realEncoder ? REELHAND_FFMPEG : REELHAND_FAKEENCODER, dir.filePath("bin/ffmpeg"));
    if (!catalogue.isEmpty()) {
        QFile file(dir.filePath("command"));
        file.open(QIODevice::WriteOnly);
        file.write(catalogue);
    }
    Application->SetProgramFolder(m_dir.path());
    // Every test starts as a first start would: no format chosen before, the window where the layout puts it.
    QSettings settings;
    settings.remove("formats");
    settings.remove("window");
}

TProgramFolder::~TProgramFolder()
{
    Application->SetProgramFolder(QString());
}

QString TProgramFolder::Source(const QString& name, const QByteArray& script) const
{
    QDir(m_dir.path()).mkpath("sources");
    const QString path = m_dir.path() + "/sources/" + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(script);
    return path;
}

QString TProgramFolder::Clip(const QString& name, const QByteArray& script) const
{
    QDir(m_dir.path()).mkpath("sources");
    const QString path = m_dir.path() + "/sources/" + name;
    EXPECT_TRUE(MakeScriptedClip(path, script));
    return path;
}

QByteArray TProgramFolder::DefaultCatalogue()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<commands>\r\n"
           "  <command>\r\n    <format>Test A</format>\r\n    <params>-n</params>\r\n    <ext>mp4</ext>\r\n"
           "  </command>\r\n"
           "  <command>\r\n    <format>Test B</format>\r\n    <params>-n</params>\r\n    <ext>mkv</ext>\r\n"
           "  </command>\r\n"
           "</commands>\r\n";
}
