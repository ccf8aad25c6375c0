// What reaches the encoder: its arguments, the output folder and name, unusual file names.
#include "engine/DosCommand.h"
#include "engine/plan/EncoderTask.h"
#include "tests/engine/CommandFixture.h"

namespace
{

class CommandLineTest : public CommandFixture
{
protected:
    // Runs one row and returns the encoder's arguments.
    QStringList ArgsFor(const QString& fileName, int formatIndex = 0, const QString& path = QString())
    {
        MakeJob();
        AddRow(fileName, formatIndex, path);
        RunBatch();
        std::vector<TEncoderRun> runs = Runs();
        return runs.empty() ? QStringList() : runs.back().Args;
    }
};

TEST(CommandLineFormat, EncoderWordsAreProgramInputParamsOutput)
{
    EXPECT_EQ(EncoderArguments("/p/bin/ffmpeg", "/v/a.avi", { "-c:v", "libx264", "-n" }, "/p/convert/a.mp4"),
        (std::vector<std::string> { "/p/bin/ffmpeg", "-i", "/v/a.avi", "-c:v", "libx264", "-n", "/p/convert/a.mp4" }));
    EXPECT_EQ(EncoderArguments("/p/bin/ffmpeg", "/v/a.avi", {}, "/p/convert/a.mp4"),
        (std::vector<std::string> { "/p/bin/ffmpeg", "-i", "/v/a.avi", "/p/convert/a.mp4" }));
}

// The line shown for a run splits back into the very words the child got, whatever they hold.
TEST(CommandLineFormat, ShownLineSplitsBackIntoTheWords)
{
    const std::vector<std::string> words = { "/p q/bin/ffmpeg", "-i", R"(/v/say "hi" \ to -me.avi)", "",
        "handler_name=English\n-c:s\nsrt\n-f\ntee\n[f=srt:select=s]/home/u/.bashrc", "x\r/tmp/elsewhere.mp4", "a\tb",
        R"(trailing\)", R"(\"quoted\")",
        "/o/Gr\xc3\xbc\xc3\x9f"
        "e a:b.mp4" };
    EXPECT_EQ(SplitCommandLine(JoinCommandLine(words)), words);
    EXPECT_EQ(JoinCommandLine({ "ffmpeg", "-i", "a b.avi", "-n" }), "ffmpeg -i \"a b.avi\" -n");

    TDosCommand runner;
    runner.SetArguments(words);
    EXPECT_EQ(runner.Arguments(), words);
    EXPECT_EQ(SplitCommandLine(runner.CommandLine()), words);
}

TEST_F(CommandLineTest, EncoderGetsInputParamsAndOutputAsSeparateArguments)
{
    QString source = Clip("holiday.avi");

    QStringList args = ArgsFor(source);

    // The encoder reads the source with the demuxer the probe found.
    EXPECT_EQ(args, (QStringList { "-f", "avi", "-i", source, "-n", "-preset", "fast", args.last() }));
    EXPECT_EQ(Written(args.last()), "<private>/output.mp4");
    EXPECT_EQ(Made(0), ConvertDir() + "/holiday.mp4");
    EXPECT_EQ(m_job->EncoderPath(), (ProgramDir() + "/bin/ffmpeg").toStdString());
    EXPECT_EQ(m_job->OutputFolder(), (ConvertDir() + "/").toStdString());
    EXPECT_EQ(m_job->OutputName(), "holiday.mp4");
}

TEST_F(CommandLineTest, EmptyParamsAddNoArgument)
{
    QString source = Clip("bare.avi");

    QStringList args = ArgsFor(source, 1);

    EXPECT_EQ(args, (QStringList { "-f", "avi", "-i", source, args.last() }));
    EXPECT_EQ(Made(0), ConvertDir() + "/bare.flv");
}

TEST_F(CommandLineTest, RowFolderIsUsedAndGetsItsSeparator)
{
    QDir(m_root.path()).mkpath("out");
    QString withSlash = m_root.path() + "/out/";
    QString withoutSlash = m_root.path() + "/out";

    EXPECT_EQ(Written(ArgsFor(Clip("one.avi"), 0, withSlash).last()), "<private>/output.mp4");
    EXPECT_EQ(Made(0), withSlash + "one.mp4");
    EXPECT_EQ(Written(ArgsFor(Clip("two.avi"), 0, withoutSlash).last()), "<private>/output.mp4");
    EXPECT_EQ(Made(0), withSlash + "two.mp4");
    EXPECT_TRUE(QFile::exists(withSlash + "two.mp4"));
}

TEST_F(CommandLineTest, NameWithoutExtensionGetsOneAndOnlyTheLastDotCounts)
{
    ArgsFor(Clip("noext"));
    EXPECT_EQ(Made(0), ConvertDir() + "/noext.mp4");
    ArgsFor(Clip("my.holiday.avi"));
    EXPECT_EQ(Made(0), ConvertDir() + "/my.holiday.mp4");
}

TEST_F(CommandLineTest, TwoIdenticalRowsGiveSecondOutputSuffix2)
{
    MakeJob();
    QString source = Clip("twice.avi");
    AddRow(source);
    AddRow(source);

    RunBatch();

    std::vector<TEncoderRun> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(Made(0), ConvertDir() + "/twice.mp4");
    EXPECT_EQ(Made(1), ConvertDir() + "/twice_2.mp4");
    EXPECT_EQ(States(), (std::vector<int> { Done, Done }));
}

TEST_F(CommandLineTest, AwkwardNamesReachTheEncoderUnchanged)
{
    QDir(m_root.path()).mkpath(R"(out "dir" \ x)");
    QString folder = m_root.path() + R"(/out "dir" \ x/)";
    for (QString name : { QString(R"(blank and "quotes".avi)"), QString(R"(back\slash.avi)"),
             QString::fromUtf8("Grüße 日本 ñ.avi"), QString("$HOME `id` ;|&.avi"), QString("tab\there.avi") }) {
        QString source = Clip(name);
        QString stem = name.left(name.lastIndexOf('.'));

        QStringList args = ArgsFor(source, 0, folder);

        EXPECT_EQ(args.value(args.indexOf("-i") + 1), source) << name.toStdString();
        EXPECT_EQ(Written(args.last()), "<private>/output.mp4") << name.toStdString();
        EXPECT_EQ(Made(0), folder + stem + ".mp4") << name.toStdString();
        EXPECT_EQ(State(0), Done) << name.toStdString();
        EXPECT_TRUE(QFile::exists(folder + stem + ".mp4")) << name.toStdString();
    }
}

TEST_F(CommandLineTest, RelativeNamesAreTakenFromTheProgramFolder)
{
    QDir(ProgramDir()).mkpath("videos");
    QDir(ProgramDir()).mkpath("-out");
    QFile::copy(Clip("seed.avi"), ProgramDir() + "/videos/-clip.avi");
    QFile::copy(Clip("seed.avi"), ProgramDir() + "/a:b.avi");

    QStringList dash = ArgsFor("videos/-clip.avi", 0, "-out/");
    EXPECT_EQ(dash.value(dash.indexOf("-i") + 1), ProgramDir() + "/videos/-clip.avi");
    EXPECT_EQ(Written(dash.last()), "<private>/output.mp4");
    EXPECT_EQ(Made(0), ProgramDir() + "/-out/-clip.mp4");
    EXPECT_EQ(State(0), Done);

    QStringList colon = ArgsFor("a:b.avi");
    EXPECT_EQ(colon.value(colon.indexOf("-i") + 1), ProgramDir() + "/a:b.avi");
    EXPECT_EQ(Made(0), ConvertDir() + "/a:b.mp4");
}

} // namespace
