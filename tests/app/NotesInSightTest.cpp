// A file whose format cannot keep all of it: the window says so on the row, over the whole row and at the end.
#include "app/mainForm.h"
#include "controls/imagebutton.h"
#include "list/treeManager.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Clips.h"
#include "toolkit/VirtualStringTree.h"


namespace
{

// AVI keeps no subtitles: a plan with its tracks leaves them out and notes it.
const QByteArray Catalogue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<commands>\r\n  <command>\r\n"
                             "    <format>AVI with tracks</format>\r\n"
                             "    <params>-nostdin -n -hide_banner -c:v mpeg4 -q:v 5 -c:a mp2</params>\r\n"
                             "    <ext>avi</ext>\r\n    <plan>tracks</plan>\r\n  </command>\r\n</commands>\r\n";

class NotesInSight : public TMainWindowTest
{
protected:
    NotesInSight()
        : TMainWindowTest(Catalogue, true)
    {
    }
};

} // namespace

TEST_F(NotesInSight, ARowThatLostATrackSaysSoInItsCellItsHintAndTheEndMessage)
{
    const QString subtitles = m_folder.Source("words.srt", "1\n00:00:00,000 --> 00:00:00,800\nHello\n\n");
    const QString source = m_folder.Source("recording.mkv");
    ASSERT_TRUE(MakeMedia(source,
        "-f lavfi -i testsrc=d=1:r=10:s=64x48 -f lavfi -i sine=d=1 -i " + subtitles
            + " -map 0 -map 1 -map 2 -c:v mpeg4 -c:a mp2 -c:s srt"));
    AddFilesThroughDialog(*m_window, m_dialogs, { source });
    Click(m_window->btnConvert);
    WaitUntilIdle();

    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    ASSERT_EQ(RowState(*m_window, 0), int(Done));
    QString cell;
    tree->OnGetText(tree, tree->GetFirst(), StateColumn, cell);
    EXPECT_TRUE(cell.endsWith(QString::fromUtf8(" \u00b7 1 note"))) << cell.toStdString();
    const QString note = "[note]: Track 3 (subtitles: subrip) is left out: AVI keeps no subtitles.";
    EXPECT_TRUE(tree->HintAt(tree->CellRect(tree->GetFirst(), StateColumn).center()).split('\n').contains(note));
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Text,
        QString::fromUtf8("Congratulations, works done!\n1 file has notes: tracks left out \u2014 see their hints."));
}
