#include "app/SplitLongFiles.h"

#include "app/FilesAtOnce.h"
#include "app/mainForm.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "engine/command.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Clips.h"
#include "tests/support/LoggedEncoder.h"

#include <QCheckBox>
#include <QRegularExpression>
#include <QTest>

namespace
{

using SplitLongFilesSetting = TMainWindowTest;

// A format whose picture can be encoded in pieces, as quick as the real encoder goes.
QByteArray QuickCatalogue()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<commands>\r\n  <command>\r\n"
           "    <format>Quick MP4</format>\r\n"
           "    <params>-nostdin -n -hide_banner -map 0:v:0? -c:v libx264 -preset ultrafast</params>\r\n"
           "    <ext>mp4</ext>\r\n    <plan>tracks</plan>\r\n  </command>\r\n</commands>\r\n";
}

class SplitLongFilesRun : public TMainWindowTest
{
protected:
    SplitLongFilesRun()
        : TMainWindowTest(QuickCatalogue(), true)
    {
    }
};

} // namespace

// Beside "files at once": off at first; Alt+L turns it on for the next batch and keeps it for the next start.
TEST_F(SplitLongFilesSetting, IsOffAtFirstAndAltLTurnsItOnAndKeepsIt)
{
    QCheckBox* box = m_window->cbSplitLongFiles;
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(Command->SplitLongFiles());
    EXPECT_GT(CountPixelsNear(Rendered(box), RGB(255, 255, 255)), 10) << "its words are drawn";

    Activate(m_window.get());
    QTest::keyClick(m_window.get(), Qt::Key_L, Qt::AltModifier);

    // A mnemonic presses the box as a click would, a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->isChecked(); }, 5000));
    EXPECT_TRUE(Command->SplitLongFiles());
    EXPECT_TRUE(SplitLongFiles::Stored());
    SplitLongFiles::Store(false);
}

// With the setting on and two files at once, one file longer than a minute is cut in two, also when a finished row
// that the batch passes over follows it: both pieces are encoded side by side, the row shows its bar and counts in
// the work done as it goes, and the file made of them holds every frame of the source.
TEST_F(SplitLongFilesRun, ALongFileIsEncodedInTwoPiecesAtOnceWithEveryFrame)
{
    if (FilesAtOnce::Limit() < 2)
        GTEST_SKIP() << "one processor";
    const QString log = WrapRealEncoder(m_folder.Path() + "/bin/ffmpeg");
    const QString source = m_folder.Source("film.mp4");
    ASSERT_TRUE(MakeMedia(source, "-f lavfi -i testsrc=duration=61:rate=25:size=320x240 -c:v libx264 -g 125"));
    const QString finished = m_folder.Source("finished.mp4");
    ASSERT_TRUE(MakeMedia(finished, "-f lavfi -i testsrc=duration=1:rate=5:size=64x48 -c:v libx264"));
    Click(m_window->cbSplitLongFiles);
    m_window->cbFilesAtOnce->setFocus();
    QTest::keyClick(m_window->cbFilesAtOnce, Qt::Key_Down);
    AddFilesThroughDialog(*m_window, m_dialogs, { source, finished });
    TVirtualStringTree* list = m_window->VirtualStringTree1;
    list->GetNodeData<TItemNodeData>(list->GetNodeAtIndex(1))->ImageIndex = Done;

    Click(m_window->btnConvert);
    const TItemNodeData& film = *list->GetNodeData<TItemNodeData>(list->GetFirst());
    bool barShown = false;
    int workDone = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (film.ImageIndex == Converting) {
                barShown = barShown || film.ItemData.Percent.has_value();
                workDone = std::max(workDone, Command->WorkDonePercent());
            }
            return !Busy();
        },
        120000));
    EXPECT_TRUE(barShown) << "the row shows its bar, not the block of a row whose length is unknown";
    EXPECT_GT(workDone, 0) << "the row counts in the work done as it goes";

    const QStringList runs = LoggedRuns(log);
    EXPECT_EQ(runs.filter(QRegularExpression("^start .*piece-\\d\\.nut")).size(), 2) << runs.join('\n').toStdString();
    EXPECT_LT(LoggedLineOf(runs, "start piece-2.nut"), LoggedLineOf(runs, "end piece-1.nut")) << "both at once";
    EXPECT_EQ(RowState(*m_window, 0), int(Done));
    EXPECT_EQ(FrameTimes(m_folder.ConvertFolder() + "/film.mp4", "v").size(), FrameTimes(source, "v").size());
    SplitLongFiles::Store(false);
    FilesAtOnce::Store(1);
}
