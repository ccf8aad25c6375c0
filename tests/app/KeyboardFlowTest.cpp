#include "app/ItemForm.h"
#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/MyButtonEx.h"
#include "controls/MyListBox.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Eventually.h"
#include "toolkit/VirtualStringTree.h"

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <memory>

namespace
{

using KeyboardFlow = TMainWindowTest;

const QString ListFilter = "Quor File List File (*.qfl)|*.qfl";

// The file the next properties dialog shows, once it has been shown and closed with Cancel.
std::shared_ptr<QString> AnswerPropertiesWithCancel()
{
    auto shownFile = std::make_shared<QString>();
    WhenModal([shownFile](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        *shownFile = dialog->MyListBox1->item(0)->text();
        Click(dialog->btnCancel);
    });
    return shownFile;
}

QString FileOfRow(TVirtualStringTree* tree, int row)
{
    return tree->GetNodeData<TItemNodeData>(tree->GetNodeAtIndex(row))->ItemData.FileName;
}

} // namespace

TEST_F(KeyboardFlow, ListKeysShowTheMenuAtTheSelectedRowOpenItsPropertiesAndDeleteIt)
{
    const QStringList files = AddClips({ "", "", "" });
    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    const QRect row1 = tree->CellRect(tree->GetNodeAtIndex(1), 0);
    Click(tree->viewport(), Qt::LeftButton, row1.center());
    const QRect row1OnScreen(tree->viewport()->mapToGlobal(row1.topLeft()), row1.size());

    for (const auto& [key, modifiers] :
        { std::pair { Qt::Key_Menu, Qt::NoModifier }, std::pair { Qt::Key_F10, Qt::ShiftModifier } }) {
        QTest::keyClick(tree, key, modifiers);
        ASSERT_EVENTUALLY(m_window->PopupMenu1->isVisible());
        EXPECT_TRUE(row1OnScreen.contains(m_window->PopupMenu1->pos())) << key;
        m_window->PopupMenu1->close();
    }

    const auto shownFile = AnswerPropertiesWithCancel();
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(*shownFile, files[1]);

    QTest::keyClick(tree, Qt::Key_Delete);
    ASSERT_EQ(tree->RootNodeCount(), 2u);
    EXPECT_EQ(FileOfRow(tree, 0), files[0]);
    EXPECT_EQ(FileOfRow(tree, 1), files[2]);
    EXPECT_EQ(m_window->lbCount->text(), "2 files, finished 0 of 2");
}

TEST_F(KeyboardFlow, DuringABatchDeleteIsRefusedTheMenuOffersWhatIsSafeAndEnterShowsTheProperties)
{
    AddClips({ "wait", "" });
    ConvertUntilRow(0); // the job selects its row and gives the list the focus
    TVirtualStringTree* tree = m_window->VirtualStringTree1;
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_EQ(tree->RootNodeCount(), 2u);
    QTest::keyClick(tree, Qt::Key_Menu);
    ASSERT_EVENTUALLY(m_window->PopupMenu1->isVisible());
    EXPECT_FALSE(m_window->pmiDelete->isEnabled());
    EXPECT_FALSE(m_window->pmiClear->isEnabled());
    EXPECT_FALSE(m_window->pmiConvertAgain->isEnabled());
    EXPECT_TRUE(m_window->pmiProperties->isEnabled());
    m_window->PopupMenu1->close();
    // Read only: OK cannot be pressed while the row is being converted.
    auto okEnabled = std::make_shared<bool>(true);
    WhenModal([okEnabled](QDialog* shown) {
        *okEnabled = static_cast<TItemDlg*>(shown)->btnOk->isEnabled();
        Click(static_cast<TItemDlg*>(shown)->btnCancel);
    });
    QTest::keyClick(tree, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(*okEnabled);
    Click(m_window->btnStop);
    WaitUntilIdle();
}

TEST_F(KeyboardFlow, AltAndTheCaptionsUnderlinedLetterPressTheBigButtonsOnlyWhileEnabled)
{
    Activate(m_window.get());
    m_dialogs.FileAnswers.append(QStringList { m_folder.Clip("clip.avi", "wait") });
    WhenModal([](QDialog* shown) { Click(static_cast<TaddDlg*>(shown)->btnOk); });
    QTest::keyClick(m_window.get(), Qt::Key_A, Qt::AltModifier);
    ASSERT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 1u);
    Activate(m_window.get()); // the offscreen platform activates no window when a dialog closes
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier); // Stop is disabled while idle
    EXPECT_FALSE(Busy());

    QTest::keyClick(m_window.get(), Qt::Key_C, Qt::AltModifier);
    ASSERT_EVENTUALLY(RowState(*m_window, 0) == Converting);
    QTest::keyClick(m_window.get(), Qt::Key_A, Qt::AltModifier); // Add is disabled while busy
    EXPECT_EQ(m_dialogs.LastFilters.size(), 1);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier);
    WaitUntilIdle();
    EXPECT_EQ(RowState(*m_window, 0), int(Failed));

    QTest::keyClick(m_window.get(), Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(m_dialogs.OpenedUrls.size(), 1);
}

TEST_F(KeyboardFlow, TabShowsTheFocusMarkOnImportAndExportAndSpaceOrEnterPressesThem)
{
    AddClips({ "" });
    Activate(m_window.get());
    Click(m_window->VirtualStringTree1->viewport()); // the focus starts away from the buttons
    const QImage plainImport = Rendered(m_window->btnImport);
    const QImage plainExport = Rendered(m_window->btnExport);
    // The dotted mark runs 4 pixels inside the border; the caption in the middle stays as it was.
    const auto marked = [](const QImage& now, const QImage& plain) {
        return now.pixelColor(4, 20) != plain.pixelColor(4, 20) && now.pixelColor(116, 20) != plain.pixelColor(116, 20)
            && now.pixelColor(60, 20) == plain.pixelColor(60, 20);
    };

    TabTo(m_window->btnImport);
    EXPECT_TRUE(marked(Rendered(m_window->btnImport), plainImport));
    QTest::keyClick(m_window->btnImport, Qt::Key_Space);
    ASSERT_EQ(m_dialogs.LastFilters.size(), 2);
    EXPECT_EQ(m_dialogs.LastFilters.last(), ListFilter); // the import asked for a list file

    TabTo(m_window->btnExport);
    EXPECT_TRUE(marked(Rendered(m_window->btnExport), plainExport));
    EXPECT_EQ(Rendered(m_window->btnImport), plainImport);
    QTest::keyClick(m_window->btnExport, Qt::Key_Return);
    ASSERT_EQ(m_dialogs.LastFilters.size(), 3);

    // Reached with the mouse, the button shows no mark.
    Click(m_window->btnImport);
    ASSERT_EQ(m_dialogs.LastFilters.size(), 4);
    EXPECT_TRUE(m_window->btnImport->hasFocus());
    EXPECT_EQ(Rendered(m_window->btnImport), plainImport);
}
