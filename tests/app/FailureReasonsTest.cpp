// A batch of files that cannot be converted, run with the real encoder: each row tells why in its hint and in
// its properties, the batch ends with the warning, and no unfinished output is left behind.
#include "app/ItemForm.h"
#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "list/treeManager.h"
#include "tests/app/AppTesting.h"
#include "tests/support/PrivateFolders.h"
#include "tests/support/Clips.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/VirtualStringTree.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace
{

QByteArray Catalogue()
{
    auto entry = [](const QByteArray& name, const QByteArray& params, const QByteArray& ext) {
        return "  <command>\r\n    <format>" + name + "</format>\r\n    <params>" + params + "</params>\r\n    <ext>"
            + ext + "</ext>\r\n  </command>\r\n";
    };
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<commands>\r\n"
        + entry("MP4", "-nostdin -n -hide_banner -c:v libx264 -preset ultrafast -pix_fmt yuv420p -an", "mp4")
        + entry("WAV", "-nostdin -n -hide_banner -vn -c:a pcm_s16le", "wav")
        // The realtime filter holds the encoder to the clip's pace, so it is still running when killed or stopped.
        + entry("Steady", "-nostdin -n -hide_banner -vf realtime -c:v mpeg4 -an", "avi") + "</commands>\r\n";
}

// The process whose arguments include the path: the encoder converting that source.
int EncoderOf(const QString& source)
{
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const int pid = entry.toInt(&number);
        QFile arguments("/proc/" + entry + "/cmdline");
        if (number && arguments.open(QIODevice::ReadOnly) && arguments.readAll().split('\0').contains(source.toUtf8()))
            return pid;
    }
    return 0;
}

class FailureReasons : public TMainWindowTest
{
protected:
    FailureReasons()
        : TMainWindowTest(Catalogue(), true)
    {
    }

    // A silent 64x48 video clip (another size when asked) in the sources folder.
    QString VideoClip(const QString& name, const QString& seconds, const QString& size = "64x48")
    {
        const QString path = m_folder.Source(name);
        EXPECT_TRUE(MakeClip(path, size, seconds, false)) << name.toStdString();
        return path;
    }

    void AddWithFormat(const QStringList& files, int format)
    {
        m_dialogs.FileAnswers.append(files);
        WhenModal([format](QDialog* dialog) {
            auto* add = static_cast<TaddDlg*>(dialog);
            add->SetFormatIndex(format);
            add->btnOk->Click();
        });
        Click(m_window->btnAdd);
    }

    QPoint OnRow(int row)
    {
        TVirtualStringTree* tree = m_window->VirtualStringTree1;
        return tree->CellRect(tree->GetNodeAtIndex(row), 0).center();
    }

    QString Hint(int row) { return m_window->VirtualStringTree1->HintAt(OnRow(row)); }

    // Waits until the row is converting and its encoder has said how far it is.
    bool UnderWay(int row)
    {
        return WaitUntil(
            [&] { return RowState(*m_window, row) == Converting && Hint(row).contains(QRegularExpression(" \\d+ %")); },
            30000);
    }

    // The information lines of the row's properties dialog, or nothing when the dialog did not open.
    QStringList PropertiesLines(int row)
    {
        QStringList lines;
        QPointer<QTimer> answer = WhenModal([&lines](QDialog* shown) {
            lines = static_cast<TItemDlg*>(shown)->Lines();
            static_cast<TItemDlg*>(shown)->btnCancel->Click();
        });
        QTest::mouseDClick(m_window->VirtualStringTree1->viewport(), Qt::LeftButton, Qt::NoModifier, OnRow(row));
        // A dialog that did not open must not be answered later, by a test that has its own.
        delete answer;
        return lines;
    }
};

} // namespace

TEST_F(FailureReasons, EachFailedFileTellsWhyAndLeavesNoOutputBehind)
{
    const QString notes = m_folder.Source("notes.mp4", "these are my notes, not a video\n");
    const QString empty = m_folder.Source("empty.mp4");
    // A download cut off before the MP4's index, which its writer puts at the end.
    const QString cut = m_folder.Source("cut.mp4");
    ASSERT_TRUE(MakeMedia(cut, "-f lavfi -i testsrc=d=4:r=10:s=64x48 -c:v mpeg4"));
    ASSERT_TRUE(QFile::resize(cut, QFileInfo(cut).size() / 2));
    const QString odd = VideoClip("odd.avi", "1", "65x47");
    const QString gone = m_folder.Source("gone.avi", "soon gone");
    const QString silent = VideoClip("silent.avi", "1");
    const QString killed = VideoClip("killed.avi", "30");
    const QString stopped = VideoClip("stopped.avi", "30");
    AddWithFormat({ notes, empty, cut, odd, gone }, 0);
    AddWithFormat({ silent }, 1);
    AddWithFormat({ killed, stopped }, 2);
    QFile::remove(gone);
    // Earlier work under the name the odd clip's output would have had: the run writes odd_2.mp4 instead.
    QFile earlier(m_folder.ConvertFolder() + "/odd.mp4");
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier work");
    earlier.close();

    Click(m_window->btnConvert);
    ASSERT_TRUE(UnderWay(6));
    ASSERT_EQ(OutputsBeingWritten(m_folder.ConvertFolder()), 1);
    const int encoder = EncoderOf(killed);
    ASSERT_GT(encoder, 0);
    ::kill(encoder, SIGKILL);
    ASSERT_TRUE(UnderWay(7));
    ASSERT_EQ(OutputsBeingWritten(m_folder.ConvertFolder()), 1);
    Click(m_window->btnStop);
    WaitUntilIdle();

    // The stopped row is not one that could not be converted: the message tells it apart.
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Text,
        "7 of 8 files could not be converted. Point at a row marked as failed to see why.\n"
        "Stopped by you: 1 of 8 files were left unconverted.");
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Warning);
    m_dialogs.Messages.clear();

    const QStringList sources = { notes, empty, cut, odd, gone, silent, killed, stopped };
    const QStringList formats = { "MP4", "MP4", "MP4", "MP4", "MP4", "WAV", "Steady", "Steady" };
    const QStringList why = { "The file is not a video or sound file the encoder knows.",
        "The file is not a video or sound file the encoder knows.",
        "The file's index is missing: it may be cut short or still downloading.", "width not divisible by 2",
        "The source file does not exist.", "The source has no sound track; the audio formats need one.",
        "The encoder was killed by signal 9.", "Stopped by you." };
    for (int row = 0; row < sources.size(); ++row) {
        EXPECT_EQ(RowState(*m_window, row), int(Failed)) << row;
        const QStringList hint = Hint(row).split('\n');
        ASSERT_EQ(hint.size(), 4) << row;
        EXPECT_EQ(
            hint.mid(0, 3), QStringList({ "[File Name]: " + sources[row], "[format]: " + formats[row], "[path]: " }));
        EXPECT_TRUE(hint[3].startsWith("[error]: ")) << hint[3].toStdString();
        EXPECT_TRUE(hint[3].contains(why[row])) << hint[3].toStdString();
        EXPECT_LE(hint[3].toUtf8().size(), 9 + 400);
        if (sources[row] == gone)
            continue;
        const QStringList lines = PropertiesLines(row);
        ASSERT_EQ(lines.size(), 4) << row;
        EXPECT_EQ(lines[3], "error: " + hint[3].mid(9));
    }
    // The properties of the gone file cannot be read, as before: its reason is in the hint only.
    EXPECT_TRUE(PropertiesLines(4).isEmpty());
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_TRUE(m_dialogs.Messages[0].Text.startsWith("System Error.  Code: 2."));

    // Nothing of the failed runs is left; the earlier file is untouched.
    QString stoppedCell;
    m_window->VirtualStringTree1->OnGetText(m_window->VirtualStringTree1,
        m_window->VirtualStringTree1->GetNodeAtIndex(7), StateColumn, stoppedCell);
    EXPECT_EQ(stoppedCell, "Stopped by you.");
    EXPECT_EQ(QDir(m_folder.ConvertFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ "odd.mp4" }));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier work");
}
