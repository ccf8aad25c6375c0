#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Drops.h"
#include "tests/support/Eventually.h"
#include "toolkit/VirtualStringTree.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <memory>

namespace
{

using DropFlow = TMainWindowTest;

QStringList FilesOfRows(TVirtualStringTree* tree)
{
    QStringList files;
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNextSibling(node))
        files << tree->GetNodeData<TItemNodeData>(node)->ItemData.FileName;
    return files;
}

// The files the next add dialog lists, once it has been shown and closed with OK.
std::shared_ptr<QStringList> AcceptAddDialog()
{
    auto listed = std::make_shared<QStringList>();
    WhenModal([listed](QDialog* shown) {
        auto* dialog = static_cast<TaddDlg*>(shown);
        *listed = dialog->FileList();
        Click(dialog->btnOk);
    });
    return listed;
}

} // namespace

TEST_F(DropFlow, FilesAndFoldersDroppedOnTheListOrTheWindowAreAddedThroughTheAddDialog)
{
    QDir().mkpath(m_folder.Path() + "/sources/shoot/card");
    const QString mkv = m_folder.Source("shoot/b.mkv");
    const QString mts = m_folder.Source("shoot/card/a.MTS");
    m_folder.Source("shoot/notes.txt");
    const QString loose = m_folder.Source("loose.dat");
    TVirtualStringTree* tree = m_window->VirtualStringTree1;

    const auto listed = AcceptAddDialog();
    const QPoint overList = tree->viewport()->mapTo(m_window.get(), QPoint(100, 20));
    ASSERT_EQ(DropPaths(m_window.get(), overList, { m_folder.Path() + "/sources/shoot", loose }), Qt::CopyAction);
    ASSERT_EVENTUALLY(tree->RootNodeCount() == 3u);
    EXPECT_EQ(*listed, QStringList({ mkv, mts, loose }));
    EXPECT_EQ(FilesOfRows(tree), *listed);
    EXPECT_EQ(RowState(*m_window, 2), int(Waiting));
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 0 of 3");

    const QString clip = m_folder.Clip("clip.avi");
    AcceptAddDialog();
    const QPoint overAddButton = m_window->btnAdd->geometry().center();
    ASSERT_EQ(DropPaths(m_window.get(), overAddButton, { clip }), Qt::CopyAction);
    ASSERT_EVENTUALLY(tree->RootNodeCount() == 4u);
    EXPECT_EQ(FilesOfRows(tree).last(), clip);
}

TEST_F(DropFlow, FilesDroppedDuringABatchJoinItAndTheCountKeepsTheFinishedRows)
{
    // Long enough for the drop and the dialog however loaded the machine, short enough to wait for.
    AddClips({ "", "sleep 3000" });
    ConvertUntilRow(1);
    AcceptAddDialog();
    const QString late = m_folder.Clip("late.avi");
    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    const QPoint overList = tree->viewport()->mapTo(m_window.get(), QPoint(100, 100));
    ASSERT_EQ(DropPaths(m_window.get(), overList, { late }), Qt::CopyAction);
    ASSERT_EVENTUALLY(tree->RootNodeCount() == 3u);
    ASSERT_TRUE(Busy());
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 1 of 3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return RowState(*m_window, 2) == Done; }, 15000));
    WaitUntilIdle();
}
