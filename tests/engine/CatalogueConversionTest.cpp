#include "engine/commandManager.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

// What ffprobe reports for each shipped extension: container, MP4-family brand and whether video is kept.
struct Container {
    QString formatName;
    QString brand;
    bool video;
};

const std::map<std::string, Container>& ExpectedContainers()
{
    static const QString iso = "mov,mp4,m4a,3gp,3g2,mj2";
    static const std::map<std::string, Container> containers = {
        {"mp4", {iso, "isom", true}},       {"mkv", {"matroska,webm", "", true}}, {"webm", {"matroska,webm", "", true}},
        {"avi", {"avi", "", true}},         {"flv", {"flv", "", true}},           {"mov", {iso, "qt", true}},
        {"mpg", {"mpeg", "", true}},        {"wmv", {"asf", "", true}},           {"3gp", {iso, "3gp4", true}},
        {"gif", {"gif", "", true}},         {"ogv", {"ogg", "", true}},           {"mp3", {"mp3", "", false}},
        {"m4a", {iso, "M4A", false}},       {"wav", {"wav", "", false}},          {"flac", {"flac", "", false}},
        {"ogg", {"ogg", "", false}},        {"opus", {"ogg", "", false}},
    };
    return containers;
}

// Runs a command line the way the conversion job builds it; stdin stays open, as an unattended run's does.
int RunCommandLine(const QString& commandLine, QString* output = nullptr)
{
    QStringList args = QProcess::splitCommand(commandLine);
    const QString program = args.takeFirst();
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString Quoted(const QString& text)
{
    return '"' + text + '"';
}

class ShippedCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        QDir(s_dir->path()).mkdir("source clips");
        s_clip = s_dir->filePath("source clips/test clip.avi");
        const QString make = Quoted(REELHAND_FFMPEG)
            + " -nostdin -v error -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -f lavfi -i sine=duration=1"
              " -c:v mpeg4 -c:a mp2 -shortest "
            + Quoted(s_clip);
        ASSERT_EQ(RunCommandLine(make), 0);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override { m_catalogue.Load(REELHAND_SOURCE_DIR "/resources/command"); }

    // "ENCODER" -i "IN" PARAMS "OUT" for catalogue entry index.
    QString CommandLine(int index, const QString& out)
    {
        return Quoted(REELHAND_FFMPEG) + " -i " + Quoted(s_clip) + " "
            + QString::fromStdString(m_catalogue.GetParams(index)) + " " + Quoted(out);
    }

    static inline QTemporaryDir* s_dir = nullptr;
    static inline QString s_clip;
    TCommandManager m_catalogue;
};

TEST_F(ShippedCatalogue, OffersTheCommonFormats)
{
    ASSERT_FALSE(m_catalogue.Formats().empty());
    std::set<std::string> extensions;
    for (size_t i = 0; i < m_catalogue.Formats().size(); ++i) {
        EXPECT_FALSE(m_catalogue.Formats()[i].empty()) << i;
        const std::string params = m_catalogue.GetParams(static_cast<int>(i));
        EXPECT_NE(params.find("-nostdin"), std::string::npos) << params;
        EXPECT_NE(params.find("-n "), std::string::npos) << params;
        extensions.insert(m_catalogue.GetExt(static_cast<int>(i)));
    }
    for (const char* wanted : {"mp4", "mkv", "webm", "avi", "flv", "mov", "mpg", "wmv", "3gp", "gif", "mp3", "m4a",
                               "wav", "ogv"})
        EXPECT_TRUE(extensions.count(wanted)) << wanted;
}

TEST_F(ShippedCatalogue, EveryEntryConvertsAClipUnattended)
{
    if (QString(REELHAND_FFPROBE).isEmpty())
        GTEST_SKIP() << "no ffprobe to read the results back";
    QDir(s_dir->path()).mkdir("converted files");
    for (size_t i = 0; i < m_catalogue.Formats().size(); ++i) {
        const int index = static_cast<int>(i);
        const std::string ext = m_catalogue.GetExt(index);
        SCOPED_TRACE(m_catalogue.Formats()[i] + " -> " + ext);
        const auto expected = ExpectedContainers().find(ext);
        ASSERT_NE(expected, ExpectedContainers().end()) << "no expectation for this extension";
        const QString out = s_dir->filePath("converted files/test clip " + QString::number(index) + "."
                                            + QString::fromStdString(ext));
        QString log;
        EXPECT_EQ(RunCommandLine(CommandLine(index, out), &log), 0) << log.toStdString();
        EXPECT_GT(QFileInfo(out).size(), 0);

        QString probe;
        RunCommandLine(Quoted(REELHAND_FFPROBE)
                           + " -v error -show_entries format=format_name:format_tags=major_brand:stream=codec_type"
                             " -of default=noprint_wrappers=1 "
                           + Quoted(out),
                       &probe);
        QStringList lines = probe.split('\n', Qt::SkipEmptyParts);
        for (QString& line : lines)
            line = line.trimmed(); // brands are four characters, padded with blanks ("qt  ")
        EXPECT_TRUE(lines.contains("format_name=" + expected->second.formatName)) << probe.toStdString();
        if (!expected->second.brand.isEmpty())
            EXPECT_TRUE(lines.contains("TAG:major_brand=" + expected->second.brand)) << probe.toStdString();
        EXPECT_EQ(lines.contains("codec_type=video"), expected->second.video) << probe.toStdString();
        EXPECT_EQ(lines.contains("codec_type=audio"), ext != "gif") << probe.toStdString();
    }
}

TEST_F(ShippedCatalogue, AnEntryNeverOverwritesAndNeverWaitsForAnAnswer)
{
    const QString out = s_dir->filePath("taken." + QString::fromStdString(m_catalogue.GetExt(0)));
    QFile taken(out);
    taken.open(QIODevice::WriteOnly);
    taken.write("keep me");
    taken.close();
    EXPECT_NE(RunCommandLine(CommandLine(0, out)), 0); // -1 would mean it hung on the open stdin
    EXPECT_NE(RunCommandLine(CommandLine(0, out)), -1);
    QFile check(out);
    check.open(QIODevice::ReadOnly);
    EXPECT_EQ(check.readAll(), "keep me");
}

} // namespace
