// The command-line mode with the real encoder and the shipped catalogue, on a machine without a display.
#include "tests/batch/BatchProgram.h"
#include "tests/support/Clips.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(BatchEndToEnd, ConvertsAListWithTwoEncodersAndNamesTheRowThatFailed)
{
    TBatchProgram program(true);
    const QString clips = program.Folder("clips");
    for (const char* name : { "a.avi", "b.mpg", "c.avi" })
        ASSERT_TRUE(MakeClip(clips + "/" + name, "160x120"));
    const QString bad = clips + "/bad.avi";
    QFile text(bad);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is no video\n");
    text.close();
    const QString out = program.Folder("out");
    // Formats 0 (MP4, H.264) and 4 (AVI, MPEG-4) of the shipped catalogue; an empty folder means convert/.
    const QString list = program.WriteList("clips.qfl",
        { { clips + "/a.avi", 0, out }, { clips + "/b.mpg", 4, out }, { bad, 4, out }, { clips + "/c.avi", 4, "" } });

    const TBatchProgram::TResult result = program.Run({ "--convert", list, "--jobs", "2" });

    EXPECT_EQ(result.ExitCode, 1) << result.Out.toStdString() << result.Err.toStdString();
    EXPECT_TRUE(result.Err.isEmpty()) << result.Err.toStdString();
    EXPECT_TRUE(result.Out.contains("started  item 1: " + clips + "/a.avi -> " + out + "/a.mp4\n"));
    EXPECT_TRUE(result.Out.contains("done     item 4: " + program.Path() + "/convert/c.avi\n"));
    EXPECT_TRUE(result.Out.contains("Converted 3, failed 1, skipped 0 of 4 in "));
    const QString failed = result.Out.section("Failed:\n", 1);
    EXPECT_TRUE(failed.startsWith("  item 3: " + bad + ": ")) << result.Out.toStdString();
    EXPECT_TRUE(failed.contains("The file is not a video or sound file the encoder knows.")) << failed.toStdString();

    EXPECT_EQ(FilesIn(out), (QStringList { "a.mp4", "b.avi" })) << "no partial file is left";
    EXPECT_EQ(FilesIn(program.Path() + "/convert"), QStringList { "c.avi" });
    for (const QString& output : { out + "/a.mp4", out + "/b.avi", program.Path() + "/convert/c.avi" })
        EXPECT_EQ(Streams(output), (QStringList { "video", "audio" })) << output.toStdString();
}
