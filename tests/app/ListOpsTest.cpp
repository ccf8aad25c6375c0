#include "app/ItemForm.h"
#include "app/mainForm.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/PngSpeedButton.h"
#include "controls/imagebutton.h"
#include "engine/command.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "toolkit/VirtualStringTree.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace
{

using ListOps = TMainWindowTest;

PVirtualNode Node(TmainDlg& window, int index)
{
    return window.VirtualStringTree1->GetNodeAtIndex(index);
}

TItemData& Row(TmainDlg& window, int index)
{
    return window.VirtualStringTree1->GetNodeData<TItemNodeData>(Node(window, index))->ItemData;
}

unsigned Rows(TmainDlg& window)
{
    return window.VirtualStringTree1->RootNodeCount();
}

// Picks an item of the popup menu once it is open.
void WhenMenuOpen(const QString& caption)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, caption] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        for (QAction* action : menu->actions())
            if (action->text() == caption)
                Click(menu, Qt::LeftButton, menu->actionGeometry(action).center());
    });
    timer->start(10);
}

} // namespace

TEST_F(ListOps, DeleteFromTheRowMenuRemovesTheRowUnderTheMouse)
{
    const QStringList files = AddClips({ "", "", "" });
    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    const QPoint onRow1 = tree->CellRect(Node(*m_window, 1), 0).center();
    WhenMenuOpen("&Delete");
    QTest::mouseClick(tree->viewport(), Qt::RightButton, Qt::NoModifier, onRow1);
    QContextMenuEvent context(QContextMenuEvent::Mouse, onRow1, tree->viewport()->mapToGlobal(onRow1));
    QApplication::sendEvent(tree->viewport(), &context);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Rows(*m_window) == 2u; }));
    EXPECT_EQ(Row(*m_window, 0).FileName, files[0]);
    EXPECT_EQ(Row(*m_window, 1).FileName, files[2]);
    EXPECT_EQ(m_window->lbCount->text(), "2 files, finished 0 of 2");
}

TEST_F(ListOps, ClearEmptiesTheListAndTheCount)
{
    AddClips({ "", "" });
    m_dialogs.ButtonAnswers = { QMessageBox::Yes };
    m_window->pmiClear->trigger();
    EXPECT_EQ(m_dialogs.Messages.last().Text, "2 of 2 files are not converted yet. Clear the list?");
    EXPECT_EQ(Rows(*m_window), 0u);
    EXPECT_EQ(m_window->lbCount->text(), "0 files, finished 0 of 0");
}

TEST_F(ListOps, DeleteClearImportAndExportAreRefusedDuringABatch)
{
    AddClips({ "wait", "" });
    ConvertUntilRow(0);
    m_window->VirtualStringTree1->SetSelected(Node(*m_window, 0), true);
    m_window->pmiDelete->trigger();
    m_window->pmiClear->trigger();
    Click(m_window->btnImport);
    Click(m_window->btnExport);
    EXPECT_EQ(Rows(*m_window), 2u);
    EXPECT_EQ(m_dialogs.LastFilters.size(), 1); // only the add
    Click(m_window->btnStop);
    WaitUntilIdle();
}

TEST_F(ListOps, DeleteClearAndImportStayRefusedFromStopUntilTheBatchHasEnded)
{
    AddClips({ "wait", "" });
    ConvertUntilRow(0);
    m_window->VirtualStringTree1->SetSelected(Node(*m_window, 0), true);
    Click(m_window->btnStop);
    // The encoder's end has not been handled yet: the job still refers to row 0.
    ASSERT_TRUE(Command->Idle());
    ASSERT_TRUE(Command->Running());
    m_window->pmiDelete->trigger();
    m_window->pmiClear->trigger();
    Click(m_window->btnImport);
    EXPECT_EQ(Rows(*m_window), 2u);
    EXPECT_EQ(m_dialogs.LastFilters.size(), 1);
    WaitUntilIdle();
    EXPECT_EQ(RowState(*m_window, 0), int(Failed));
    m_dialogs.ButtonAnswers = { QMessageBox::Yes }; // the second row still waits
    m_window->pmiClear->trigger();
    EXPECT_EQ(Rows(*m_window), 0u);
}

TEST_F(ListOps, ExportAddsTheListExtensionUnlessTheNameEndsInExactlyIt)
{
    AddClips({ "", "" });
    const QString base = m_folder.Path() + "/";
    m_dialogs.SaveAnswers = { base + "plain", base + "named.qfl", base + "LOUD.QFL" };
    for (int i = 0; i < 3; ++i)
        Click(m_window->btnExport);
    EXPECT_TRUE(QFile::exists(base + "plain.qfl"));
    EXPECT_FALSE(QFile::exists(base + "plain"));
    EXPECT_TRUE(QFile::exists(base + "named.qfl"));
    EXPECT_FALSE(QFile::exists(base + "named.qfl.qfl"));
    EXPECT_TRUE(QFile::exists(base + "LOUD.QFL.qfl"));
    EXPECT_EQ(m_dialogs.LastFilters.last(), "Quor File List File (*.qfl)|*.qfl");
    EXPECT_EQ(m_window->lbCount->text(), "2 files, finished 0 of 2");
}

TEST_F(ListOps, ExportReplacesAnExistingFileWithoutAsking)
{
    AddClips({ "" });
    const QString name = m_folder.Path() + "/old.qfl";
    QFile old(name);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("stale");
    old.close();
    m_dialogs.SaveAnswers = { name };
    Click(m_window->btnExport);
    QFile written(name);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("<?xml"));
    EXPECT_TRUE(m_dialogs.Messages.isEmpty());
}

TEST_F(ListOps, ExportOfAnEmptyListAsksNothing)
{
    Click(m_window->btnExport);
    EXPECT_TRUE(m_dialogs.LastFilters.isEmpty());
}

TEST_F(ListOps, ImportAppendsTheExportedRowsAndCountsThem)
{
    const QStringList files = AddClips({ "", "" });
    const QString name = m_folder.Path() + "/round.qfl";
    m_dialogs.SaveAnswers = { name };
    Click(m_window->btnExport);
    m_dialogs.FileAnswers.append(QStringList { name });
    Click(m_window->btnImport);
    ASSERT_EQ(Rows(*m_window), 4u);
    EXPECT_EQ(Row(*m_window, 2).FileName, files[0]);
    EXPECT_EQ(Row(*m_window, 3).FileName, files[1]);
    EXPECT_EQ(RowState(*m_window, 3), int(Waiting));
    EXPECT_EQ(m_window->lbCount->text(), "4 files, finished 0 of 4");
}

TEST_F(ListOps, AnImportThatFailsIsReportedInTheErrorBoxAndKeepsTheRows)
{
    AddClips({ "" });
    const QString name = m_folder.Source("broken.qfl", "<list><item><filename>x");
    m_dialogs.FileAnswers.append(QStringList { name });
    Click(m_window->btnImport);
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Stop);
    EXPECT_EQ(Rows(*m_window), 1u);
}

TEST_F(ListOps, AnImportThatStopsPartWayCountsTheRowsItLeft)
{
    AddClips({ "" });
    const QByteArray item = "<item><filename>/v/a.avi</filename><format>0</format><path></path></item>";
    const QString name = m_folder.Source("half.qfl",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><list>" + item + item
            + "<item><filename>/v/b.avi</filename><format>zero</format><path></path></item></list>");
    m_dialogs.FileAnswers.append(QStringList { name });
    Click(m_window->btnImport);
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Stop);
    EXPECT_EQ(Rows(*m_window), 3u);
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 0 of 3");
}

TEST_F(ListOps, PropertiesApplyWhileIdle)
{
    AddClips({ "" });
    m_window->VirtualStringTree1->SetFocusedNode(Node(*m_window, 0));
    m_dialogs.FolderAnswers = { "/srv/out" };
    WhenModal([](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        Click(dialog->btDirectory);
        Click(dialog->btnOk);
    });
    m_window->pmiProperties->trigger();
    EXPECT_EQ(Row(*m_window, 0).Path, "/srv/out/");
    EXPECT_EQ(RowState(*m_window, 0), int(Waiting));
}

TEST_F(ListOps, PropertiesAreReadOnlyDuringABatch)
{
    AddClips({ "wait" });
    ConvertUntilRow(0);
    m_dialogs.FolderAnswers = { "/srv/out" };
    WhenModal([](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        Click(dialog->btDirectory);
        Click(dialog->btnOk);
        EXPECT_TRUE(dialog->isVisible());
        Click(dialog->btnCancel);
    });
    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    QTest::mouseDClick(
        tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->CellRect(Node(*m_window, 0), 0).center());
    EXPECT_EQ(Row(*m_window, 0).Path, "");
    EXPECT_EQ(RowState(*m_window, 0), int(Converting));
    Click(m_window->btnStop);
    WaitUntilIdle();
}

TEST_F(ListOps, PropertiesOfARowWhoseFileIsGoneShowTheErrorOnly)
{
    const QStringList files = AddClips({ "" });
    QFile::remove(files[0]);
    m_window->VirtualStringTree1->SetFocusedNode(Node(*m_window, 0));
    m_window->pmiProperties->trigger();
    ASSERT_EQ(m_dialogs.Messages.size(), 1);
    EXPECT_EQ(m_dialogs.Messages[0].Icon, TMsgIcon::Stop);
    EXPECT_TRUE(m_dialogs.Messages[0].Text.startsWith("System Error.  Code: 2."));
    EXPECT_EQ(Row(*m_window, 0).FileName, files[0]);
}

TEST_F(ListOps, SupportAndHomePagesOpenInTheBrowser)
{
    Click(m_window->btnSupport);
    Click(m_window->lbUpdate);
    Click(m_window->lbUpdate, Qt::RightButton);
    ASSERT_EQ(m_dialogs.OpenedUrls.size(), 2);
    EXPECT_TRUE(m_dialogs.OpenedUrls[0].startsWith("https://"));
    EXPECT_TRUE(m_dialogs.OpenedUrls[1].startsWith("https://"));
    EXPECT_NE(m_dialogs.OpenedUrls[0], m_dialogs.OpenedUrls[1]);
}

// A list cut short and naming a format the catalogue lacks: the complete rows come in, the user hears of both.
TEST_F(ListOps, AnImportSaysWhatTheListLacks)
{
    const QByteArray item = "<item><filename>/v/a.avi</filename><format>0</format><path></path></item>";
    const QString name = m_folder.Source("cut.qfl",
        "<list>" + item + "<item><filename>/v/b.avi</filename><format>99</format><path></path></item>" + item
            + "<item><filename>/v/c.avi</filename><format>0</format><path>/o");
    m_dialogs.FileAnswers.append(QStringList { name });
    Click(m_window->btnImport);
    EXPECT_EQ(Rows(*m_window), 3u);
    ASSERT_EQ(m_dialogs.Messages.size(), 2);
    EXPECT_EQ(m_dialogs.Messages[0].Text,
        "Item 2 of the list file name a format that the catalogue does not have "
        "(99); choose one in the row's properties before converting.");
    EXPECT_EQ(m_dialogs.Messages[1].Text,
        "The list file \"" + name
            + "\" ends early, on line 1 inside "
              "<list><item><path>: only the 3 complete items before that point were read");
}
