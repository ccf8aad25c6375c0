#include "batch/BatchOptions.h"

#include "engine/row/RowConversion.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(BatchOptions, ReadsWhatTheCommandLineAsks)
{
    QTemporaryDir folder;
    const QString settings = folder.path() + "/videos.conf";
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# as the user service reads it\nwatch = /my drop\nformat = 1\n\n  output = out put \npoll\n");
    file.close();
    struct Case {
        QStringList arguments;
        TBatchOptions expected;
    };
    const std::vector<Case> cases = {
        { { "--convert", "a.qfl" }, { .ListPath = "a.qfl" } },
        { { "--convert=my list.qfl", "--jobs", "0", "--skip-done", "-q" },
            { .ListPath = "my list.qfl", .Jobs = 0, .SkipDone = true, .Quiet = true } },
        { { "-j", "3", "--shard", "2/5", "--convert", "a.qfl", "--quiet" },
            { .ListPath = "a.qfl", .Jobs = 3, .ShardIndex = 2, .ShardCount = 5, .Quiet = true } },
        { { "--shard=1/1", "--convert", "a.qfl" }, { .ListPath = "a.qfl" } },
        { { "--convert", "--format", "3", "--output", "out", "a.avi", "--", "-b.avi" },
            { .Files = { "a.avi", "-b.avi" }, .Format = 3, .OutputFolder = "out" } },
        { { "--convert", "--format", "0", "--size", "720", "--quality", "smaller", "--sound", "stereo", "a.avi" },
            { .Files = { "a.avi" }, .Format = 0, .Choices = { 720, TQualityChoice::Smaller, TSoundChoice::Stereo } } },
        { { "--convert", "a.qfl", "--sound", "mono" },
            { .ListPath = "a.qfl", .Choices = { 0, TQualityChoice::AsFormat, TSoundChoice::Mono } } },
        { { "--formats" }, { .ListFormats = true } },
        { { "--help" }, { .Help = true } },
        { { "--jobs", "x", "-v" }, { .Version = true } },
        { { "--convert", "a.qfl", "--split", "auto" }, { .ListPath = "a.qfl", .Split = SplitAuto } },
        { { "--convert", "--format", "3", "--split", "4", "--piece", "5", "a.mkv" },
            { .Files = { "a.mkv" }, .Format = 3, .Split = 4, .SplitStep = 5 } },
        { { "--watch", "drop", "--format", "2", "--settle", "0.5", "--poll" },
            { .Format = 2, .WatchFolder = "drop", .SettleMs = 500, .Poll = true } },
        { { "--watch-settings", settings, "--jobs", "2" },
            { .Format = 1, .OutputFolder = "out put", .Jobs = 2, .WatchFolder = "/my drop", .Poll = true } },
    };
    for (const Case& c : cases) {
        const QString line = c.arguments.join(' ');
        const TBatchOptions options = ParseBatchOptions(QStringList { "reelhand" } + c.arguments);
        EXPECT_EQ(options.Help, c.expected.Help) << line.toStdString();
        EXPECT_EQ(options.Version, c.expected.Version) << line.toStdString();
        EXPECT_EQ(options.ListPath, c.expected.ListPath) << line.toStdString();
        EXPECT_EQ(options.ListFormats, c.expected.ListFormats) << line.toStdString();
        EXPECT_EQ(options.Files, c.expected.Files) << line.toStdString();
        EXPECT_EQ(options.Format, c.expected.Format) << line.toStdString();
        EXPECT_EQ(options.OutputFolder, c.expected.OutputFolder) << line.toStdString();
        EXPECT_TRUE(options.Choices == c.expected.Choices) << line.toStdString();
        EXPECT_EQ(options.Jobs, c.expected.Jobs) << line.toStdString();
        EXPECT_EQ(options.ShardIndex, c.expected.ShardIndex) << line.toStdString();
        EXPECT_EQ(options.ShardCount, c.expected.ShardCount) << line.toStdString();
        EXPECT_EQ(options.SkipDone, c.expected.SkipDone) << line.toStdString();
        EXPECT_EQ(options.Quiet, c.expected.Quiet) << line.toStdString();
        EXPECT_EQ(options.Split, c.expected.Split) << line.toStdString();
        EXPECT_EQ(options.SplitStep, c.expected.SplitStep) << line.toStdString();
        EXPECT_EQ(options.WatchFolder, c.expected.WatchFolder) << line.toStdString();
        EXPECT_EQ(options.SettleMs, c.expected.SettleMs) << line.toStdString();
        EXPECT_EQ(options.Poll, c.expected.Poll) << line.toStdString();
    }
}

TEST(BatchOptions, RefusesWhatCannotBeDone)
{
    struct Case {
        QStringList arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        { {}, "Nothing to convert: name the list file with --convert LIST.qfl." },
        { { "--jobs", "2" }, "Nothing to convert: name the list file with --convert LIST.qfl." },
        { { "--convert" }, "Missing value after '--convert'." },
        { { "--convert", "a.qfl", "b.qfl" }, "Unexpected argument 'b.qfl'." },
        { { "--convert", "a.qfl", "--fast" }, "Unknown option 'fast'." },
        { { "--convert", "a.qfl", "--size", "800" },
            "'800' is no size; there are 2160, 1440, 1080, 720, 480 (lines at most)." },
        { { "--convert", "a.qfl", "--quality", "best" }, "'best' is no quality; there are higher, standard, smaller." },
        { { "--convert", "a.qfl", "--jobs", "-1" },
            "--jobs takes a number of encoders (0: one per processor), not '-1'." },
        { { "--convert", "a.qfl", "--jobs", "many" },
            "--jobs takes a number of encoders (0: one per processor), not 'many'." },
        { { "--convert", "a.qfl", "--shard", "3/2" },
            "--shard takes i/n with 1 <= i <= n (rows count from 1), not '3/2'." },
        { { "--convert", "a.qfl", "--shard", "0/2" },
            "--shard takes i/n with 1 <= i <= n (rows count from 1), not '0/2'." },
        { { "--convert", "a.qfl", "--shard", "1" },
            "--shard takes i/n with 1 <= i <= n (rows count from 1), not '1'." },
        { { "--convert", "a.qfl", "--convert", "b.qfl" }, "--convert is given more than once." },
        { { "--convert=a.qfl", "-j", "2", "--jobs", "3" }, "--jobs is given more than once." },
        { { "--convert", "a.qfl", "-q", "--quiet" }, "--quiet is given more than once." },
        { { "--convert", "--format", "1" }, "Nothing to convert: name the files after --convert --format N." },
        { { "--convert", "a.qfl", "--output", "o" },
            "--output goes with --format: a list names each row's output folder." },
        { { "--convert", "a.qfl", "--split", "2", "--join" },
            "--piece and --join go with --split N, --format and one file." },
        { { "--convert", "--format", "0", "--split", "2", "--piece", "4", "a.mkv" },
            "--piece takes 1 .. 2 for the pieces and 3 for the rest, not 4." },
        { { "--watch", "drop" }, "--watch takes a folder and --format, and no files: the files are those that arrive." },
        { { "--watch", "drop", "--format", "0", "a.avi" },
            "--watch takes a folder and --format, and no files: the files are those that arrive." },
        { { "--convert", "--format", "0", "--poll", "a.avi" }, "--settle and --poll go with --watch." },
        { { "--watch", "drop", "--format", "0", "--settle", "soon" },
            "--settle takes seconds from 0 to 86400, not 'soon'." },
        { { "--watch", "drop", "--format", "0", "--shard", "1/2" },
            "--watch converts each file whole on this machine: no --shard, --piece or --join." },
        { { "--watch-settings", "/nowhere/videos.conf" },
            "The watch's settings /nowhere/videos.conf cannot be read: No such file or directory." },
    };
    for (const Case& c : cases) {
        try {
            ParseBatchOptions(QStringList { "reelhand" } + c.arguments);
            ADD_FAILURE() << "accepted: " << c.arguments.join(' ').toStdString();
        } catch (const EBatchUsage& error) {
            EXPECT_EQ(error.Message(), c.message) << c.arguments.join(' ').toStdString();
        }
    }
}

// The window keeps its old start: only the mode's own options choose the command line.
TEST(BatchOptions, OnlyTheModesOwnOptionsLeaveTheWindow)
{
    EXPECT_FALSE(WantsBatchMode({ "reelhand" }));
    EXPECT_FALSE(WantsBatchMode({ "reelhand", "-platform", "offscreen" }));
    EXPECT_FALSE(WantsBatchMode({ "reelhand", "clip.avi" }));
    EXPECT_TRUE(WantsBatchMode({ "reelhand", "--convert=a.qfl" }));
    EXPECT_FALSE(WantsBatchMode({ "reelhand", "--jobs", "2" })) << "the window's files at once";
    EXPECT_TRUE(WantsBatchMode({ "reelhand", "--convert", "a.qfl", "--jobs", "2" }));
    EXPECT_TRUE(WantsBatchMode({ "reelhand", "--version" }));
    EXPECT_TRUE(WantsBatchMode({ "reelhand", "-h" }));
}
