// A source is read through the descriptor it was opened with: what is put at its name afterwards is never read.
#include "engine/split/SplitCuts.h"
#include "platform/HeldFile.h"
#include "tests/support/Clips.h"

#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

// Swapped for a pipe once it is held, the source is still cut as the file it was: no open waits on the pipe for a
// writer, which would hold the row (and Stop, SIGTERM) for good. A pipe is refused at once.
TEST(HeldSource, APipePutAtItsNameIsNeverRead)
{
    QTemporaryDir folder;
    const QString clip = folder.path() + "/film.mp4";
    ASSERT_TRUE(MakeMedia(clip, "-f lavfi -i testsrc2=duration=4:rate=25:size=64x48 -c:v libx264 -g 25"));
    platform::THeldFile held;
    ASSERT_EQ(held.Open(clip.toStdString()), 0);
    ASSERT_TRUE(QFile::rename(clip, clip + ".moved"));
    ASSERT_EQ(::mkfifo(clip.toUtf8().constData(), 0600), 0);

    const TSplitCuts cuts = FindSplitCuts(held.HeldPath(), "mov,mp4,m4a,3gp,3g2,mj2", 0, 2);
    EXPECT_EQ(cuts.Pieces(), 2u);
    EXPECT_EQ(cuts.Frames, (std::vector<int64_t> { 50, 50 }));
    platform::THeldFile pipe;
    EXPECT_EQ(pipe.Open(clip.toStdString()), EINVAL);
}
