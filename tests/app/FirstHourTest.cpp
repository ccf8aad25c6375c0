// What a new user met in the first hour: a folder named on the command line is added as a drop of it is,
// Delete goes on to the next row, a chosen default output folder is kept and made, the end message opens it (each
// of a batch's folders), a page no browser opens is told, closing during a batch asks first, and Tab reaches every
// command with a mark that shows.
#include "app/addForm.h"
#include "app/mainForm.h"
#include "app/uihook.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Eventually.h"
#include "toolkit/VirtualStringTree.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <QUrl>

using FirstHour = TMainWindowTest;

TEST_F(FirstHour, FolderFromTheCommandLineDeleteGoesOnAndTheEndMessageOpensTheFolder)
{
    for (const char* name : { "clip0.avi", "clip1.avi", "clip2.avi", "notes.txt" })
        m_folder.Clip(name);
    WhenModal([](QDialog* dialog) { static_cast<TaddDlg*>(dialog)->btnOk->Click(); });
    m_window->Controller().AddPaths({ m_folder.Path() + "/sources" }); // as "reelhand FOLDER" passes it
    TVirtualStringTree* list = m_window->VirtualStringTree1;
    // The folder is walked beside the window, as a dropped one is.
    ASSERT_EVENTUALLY(list->RootNodeCount() == 3u);
    const auto selected = [list] { return list->GetNodeData<TItemNodeData>(list->SelectedNode())->ItemData.FileName; };
    list->SetSelected(list->GetNodeAtIndex(1), true);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_TRUE(selected().endsWith("clip2.avi"));
    QTest::keyClick(list, Qt::Key_Delete); // the last row: the one before it is selected
    EXPECT_TRUE(selected().endsWith("clip0.avi"));

    // A default output folder chosen in the window, kept in the settings (forgotten again for the next tests),
    // made when the first row needs it.
    const QString chosen = m_folder.Path() + "/chosen/deeper/";
    const std::unique_ptr<QSettings, void (*)(QSettings*)> forget(new QSettings, [](QSettings* settings) {
        settings->remove("OutputFolder");
        delete settings;
    });
    m_dialogs.FolderAnswers = { chosen };
    Click(m_window->lbOutput);
    EXPECT_EQ(m_window->lbOutput->text(), "output folder: " + chosen);
    m_dialogs.ButtonAnswers = { QMessageBox::Open };
    Click(m_window->btnConvert);
    WaitUntilIdle();
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Buttons, int(QMessageBox::Ok | QMessageBox::Open));
    EXPECT_TRUE(QFile::exists(chosen + "clip0.mp4"));
    EXPECT_EQ(m_dialogs.OpenedUrls, QStringList { QUrl::fromLocalFile(chosen).toString() });

    m_dialogs.UrlsOpen = false;
    Click(m_window->btnSupport);
    ASSERT_EQ(m_dialogs.Messages.size(), 2);
    EXPECT_EQ(m_dialogs.Messages[1].Text,
        "No web browser could be opened for https://reelhand.quor.app/support. Please open it yourself.");

    AddFilesThroughDialog(*m_window, m_dialogs, { m_folder.Path() + "/sources/clip1.avi" });
    const QString other = m_folder.Path() + "/other/";
    list->GetNodeData<TItemNodeData>(list->GetNodeAtIndex(1))->ItemData.Path = other;
    m_dialogs.UrlsOpen = true;
    m_dialogs.OpenedUrls.clear();
    m_dialogs.ChoiceAnswers = { 1 }; // convert all again
    m_dialogs.ButtonAnswers = { QMessageBox::Open };
    Click(m_window->btnConvert);
    WaitUntilIdle();
    EXPECT_EQ(m_dialogs.OpenedUrls,
        QStringList({ QUrl::fromLocalFile(chosen).toString(), QUrl::fromLocalFile(other).toString() }));
}

TEST_F(FirstHour, ClosingDuringABatchAsksFirstAndNoKeepsConverting)
{
    AddClips({ "wait\n" });
    ConvertUntilRow(0);
    m_dialogs.ButtonAnswers = { QMessageBox::No };
    EXPECT_FALSE(m_window->close());
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Question);
    EXPECT_TRUE(Busy());
    EXPECT_EQ(RowState(*m_window, 0), int(Converting));
    Click(m_window->btnStop);
    WaitUntilIdle();
}

TEST_F(FirstHour, TabReachesTheBigButtonsAndTheListEachWithAVisibleMark)
{
    AddClips({ "" });
    Activate(m_window.get());
    m_window->btnImport->setFocus(Qt::TabFocusReason);
    for (QWidget* target : std::initializer_list<QWidget*> {
             m_window->btnAdd, m_window->btnConvert, m_window->btnSupport, m_window->VirtualStringTree1 }) {
        const QImage plain = Rendered(target);
        TabTo(target);
        EXPECT_NE(Rendered(target), plain) << target->objectName().toStdString();
    }
    // Stop is disabled while nothing converts, so Tab passes it by.
    EXPECT_FALSE(m_window->btnStop->hasFocus());
}
