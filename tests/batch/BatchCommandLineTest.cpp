// What the command-line mode says about itself and about lists it cannot read, as a user at a server sees it.
#include "list/ItemData.h"
#include "list/saveManager.h"
#include "tests/batch/BatchProgram.h"
#include "tests/support/EmptyPath.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// What the window's Import reports for the same file.
std::string ImportError(const QString& path)
{
    try {
        TSaveManager(nullptr).ReadList(path.toStdString(), [](TItemData&&) {});
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(BatchCommandLine, HelpVersionAndUsageErrorsAsUsersExpect)
{
    TBatchProgram program;

    const TBatchProgram::TResult help = program.Run({ "--help" });
    EXPECT_EQ(help.ExitCode, 0);
    for (const char* option : { "--convert", "--format <n>", "--output <folder>", "--formats", "--jobs <n>",
             "--shard <i/n>", "--skip-done", "--quiet", "counted from 1" })
        EXPECT_TRUE(help.Out.contains(option)) << option;

    const TBatchProgram::TResult version = program.Run({ "--version" });
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, "Quor Reelhand 1.0.0\n");

    const TBatchProgram::TResult usage = program.Run({ "--convert", "a.qfl", "--jobs", "many" });
    EXPECT_EQ(usage.ExitCode, 2);
    EXPECT_EQ(usage.Err,
        "reelhand: --jobs takes a number of encoders (0: one per processor), not 'many'.\n"
        "Try 'reelhand --help' for more.\n");
    EXPECT_TRUE(program.Runs().empty());

    QFile::remove(program.Path() + "/bin/ffmpeg");
    TEmptyPath noEncoderOnPath;
    const QString list = program.WriteList("one.qfl", { { program.Source("a.avi"), 0, "" } });
    const TBatchProgram::TResult noEncoder = program.Run({ "--convert", list });
    EXPECT_EQ(noEncoder.ExitCode, 1);
    EXPECT_TRUE(noEncoder.Err.startsWith("reelhand: The encoder " + program.Path() + "/bin/ffmpeg does not exist."))
        << noEncoder.Err.toStdString();
}

// A list that cannot be read stops the batch before anything runs, with the words Import would show.
TEST(BatchCommandLine, UnreadableListEndsWithImportsMessage)
{
    TBatchProgram program;
    const QString clip = program.Source("a.avi");
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(program.Folder("lists") + "/" + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QByteArray good = "<item><filename>" + clip.toUtf8() + "</filename><format>0</format><path/></item>";
    // Import passes over a list that is not there; here it is an error, worded as Import words one it cannot open.
    const QString missing = program.Folder("lists") + "/missing.qfl";
    const QString folder = program.Folder("lists/folder.qfl");
    const std::vector<std::pair<QString, std::string>> lists = {
        { missing, "Cannot open file \"" + missing.toStdString() + "\". No such file or directory" },
        { folder, "Cannot open file \"" + folder.toStdString() + "\". Is a directory" },
        { write("broken.qfl", "<list><item><filename>a</filename>"), "" },
        { write("cut.qfl", "<list>" + good + "<item><filename>b</filename><format>0</format><path/></ite"), "" },
        { write("no-format.qfl", "<list>" + good + "<item><filename>b</filename><path/></item></list>"), "" },
        { write("bad-format.qfl",
              "<list>" + good + "<item><filename>b</filename><format>x</format><path/></item></list>"),
            "" },
    };
    for (const auto& [list, message] : lists) {
        const TBatchProgram::TResult result = program.Run({ "--convert", list });
        EXPECT_EQ(result.ExitCode, 2) << list.toStdString();
        const std::string expected = message.empty() ? ImportError(list) : message;
        EXPECT_EQ(result.Err.toStdString(), "reelhand: " + expected + "\n");
    }
    EXPECT_TRUE(program.Runs().empty()) << "nothing of a list that cannot be read is converted";
}

// Files converted without a list, the catalogue listed for it, and a list row whose format the catalogue lacks
// failing before any encoder starts.
TEST(BatchCommandLine, FormatsAndFilesWithoutAList)
{
    TBatchProgram program;
    const TBatchProgram::TResult formats = program.Run({ "--formats" });
    EXPECT_EQ(formats.ExitCode, 0);
    EXPECT_EQ(formats.Out, "  0  Stand-in  .mp4\n");

    const QString out = program.Folder("out");
    const TBatchProgram::TResult files =
        program.Run({ "--convert", "--format", "0", "--output", out, program.Source("a.avi"), program.Source("b.avi") });
    EXPECT_EQ(files.ExitCode, 0) << files.Out.toStdString() << files.Err.toStdString();
    EXPECT_EQ(FilesIn(out), (QStringList { "a.mp4", "b.mp4" }));
    EXPECT_EQ(program.Run({ "--convert", "--format", "1", program.Source("a.avi") }).ExitCode, 2);

    const QString list = program.WriteList("l.qfl", { { program.Source("c.avi"), 0, out }, { program.Source("d.avi"), 99, out } });
    const TBatchProgram::TResult unknown = program.Run({ "--convert", list });
    EXPECT_EQ(unknown.ExitCode, 1);
    EXPECT_TRUE(unknown.Out.startsWith("failed   item 2: " + program.Folder("clips") + "/d.avi: Format 99 is not in the catalogue.\n"))
        << unknown.Out.toStdString();
    EXPECT_EQ(program.Runs().size(), 3u);
}
