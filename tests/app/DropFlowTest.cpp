#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Drops.h"
#include "tests/support/Eventually.h"
#include "toolkit/FileNames.h"
#include "toolkit/VirtualStringTree.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <memory>
#include <unistd.h>

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
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 1 of 3, 33 % done");
    ASSERT_TRUE(QTest::qWaitFor([&] { return RowState(*m_window, 2) == Done; }, 15000));
    WaitUntilIdle();
}

// A file whose name is not UTF-8 (é as the byte 0xE9), dropped as a file manager names it, is listed with that
// byte escaped and converts under its own bytes.
TEST_F(DropFlow, ANameThatIsNotUtf8IsListedEscapedAndConverts)
{
    const std::string clip = m_folder.Clip("cafe.avi").toStdString();
    const std::string named = clip.substr(0, clip.size() - 8) + "caf\xe9.avi";
    for (const char* end : { "", ".script" })
        ASSERT_EQ(::rename((clip + end).c_str(), (named + end).c_str()), 0);
    AcceptAddDialog();
    QMimeData data;
    data.setUrls({ QUrl::fromEncoded("file://" + QByteArray::fromStdString(named).toPercentEncoding("/")) });
    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    const QPoint overList = tree->viewport()->mapTo(m_window.get(), QPoint(100, 20));
    ASSERT_EQ(DragAndDrop(m_window.get(), overList, &data), Qt::CopyAction);
    ASSERT_EVENTUALLY(tree->RootNodeCount() == 1u);
    QString shown;
    tree->OnGetText(tree, tree->GetFirst(), 0, shown);

    Click(m_window->btnConvert);
    ASSERT_TRUE(QTest::qWaitFor([&] { return RowState(*m_window, 0) == Done; }, 15000));

    EXPECT_TRUE(shown.endsWith("/caf\\xe9.avi")) << shown.toStdString();
    const std::string output = (m_folder.ConvertFolder() + "/caf").toStdString() + "\xe9.mp4";
    EXPECT_EQ(::access(output.c_str(), F_OK), 0);
    WaitUntilIdle();
    for (const std::string& file : { named, named + ".script", output })
        ::unlink(file.c_str());
}
