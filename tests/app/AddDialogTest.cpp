#include "app/addForm.h"
#include "controls/FlatEditUnit.h"
#include "controls/LinePanelUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/MyListBox.h"
#include "controls/PngSpeedButton.h"
#include "engine/commandManager.h"
#include "tests/app/AppTesting.h"
#include "tests/app/ProgramFolder.h"
#include "tests/support/TestDialogs.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

// A catalogue in place as the controller makes it, for dialogs opened on their own.
class AddDialog : public ::testing::Test
{
protected:
    explicit AddDialog(const QByteArray& catalogue = TProgramFolder::DefaultCatalogue())
        : m_folder(catalogue)
    {
        m_catalogue = std::make_unique<TCommandManager>();
        CommandManager = m_catalogue.get();
    }
    ~AddDialog() override { CommandManager = nullptr; }
    // A blank folder shows the folder it stands for.
    QString GlobalLine() const { return "save to: use global path (" + m_folder.ConvertFolder() + "/)"; }

    TProgramFolder m_folder;
    TTestDialogs m_dialogs;
    std::unique_ptr<TCommandManager> m_catalogue;
};

class AddDialogEmptyCatalogue : public AddDialog
{
protected:
    AddDialogEmptyCatalogue()
        : AddDialog(QByteArray())
    {
    }
};

const QStringList TwoFiles = { "/videos/one.avi", "/videos/two film.mpg" };

} // namespace

TEST_F(AddDialog, OpensWithTheFilesAndFiveInformationLines)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    EXPECT_EQ(dialog.windowTitle(), "Add Files");
    EXPECT_EQ(dialog.size(), QSize(442, 609));
    EXPECT_EQ(dialog.FileList(), TwoFiles);
    ASSERT_EQ(dialog.MyListBox1->count(), 2);
    EXPECT_EQ(dialog.MyListBox1->item(0)->text(), TwoFiles[0]);
    EXPECT_EQ(dialog.MyListBox1->item(1)->text(), TwoFiles[1]);
    EXPECT_EQ(dialog.Lines(),
        QStringList({ "file count: 2", "format: Test A", GlobalLine(), "Ready to go...click OK",
            "Cancel the operation...click Cancel" }));
}

TEST_F(AddDialog, ChoosingAFormatRewritesOnlyTheFormatLine)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.ComboBox1->setFocus();
    QTest::keyClick(dialog.ComboBox1, Qt::Key_Down);
    EXPECT_EQ(dialog.ComboBox1->ItemIndex(), 1);
    EXPECT_EQ(dialog.Lines(),
        QStringList({ "file count: 2", "format: Test B", GlobalLine(), "Ready to go...click OK",
            "Cancel the operation...click Cancel" }));
}

TEST_F(AddDialog, PickedFolderGetsOneSlashAndCancellingGoesBackToTheGlobalPath)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    m_dialogs.FolderAnswers = { "/srv/out" };
    Click(dialog.btDirectory);
    EXPECT_EQ(dialog.etDirectory->text(), "/srv/out/");
    EXPECT_EQ(dialog.Lines()[2], "save to: /srv/out/");
    Click(dialog.btDirectory); // the picker is cancelled this time
    EXPECT_EQ(dialog.etDirectory->text(), "");
    EXPECT_EQ(dialog.Lines()[2], GlobalLine());
    EXPECT_EQ(dialog.Lines()[1], "format: Test A");
}

TEST_F(AddDialog, FolderNameWithALineBreakStaysWholeOnTheSaveToLine)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    m_dialogs.FolderAnswers = { "/srv/two\nlines", "/srv/out" };
    Click(dialog.btDirectory);
    EXPECT_EQ(dialog.etDirectory->text(), "/srv/two\nlines/");
    dialog.ComboBox1->setFocus();
    QTest::keyClick(dialog.ComboBox1, Qt::Key_Down);
    const QStringList expected = { "file count: 2", "format: Test B", "save to: /srv/two\nlines/",
        "Ready to go...click OK", "Cancel the operation...click Cancel" };
    EXPECT_EQ(dialog.Lines(), expected);
    // The memo shows the break inside the line as a return sign, so the panel keeps its five lines.
    const QTextDocument* shown = dialog.Memo1->document();
    ASSERT_EQ(shown->blockCount(), 5);
    EXPECT_EQ(shown->findBlockByNumber(2).text(), QString("save to: /srv/two\u21B5lines/"));
    EXPECT_EQ(shown->findBlockByNumber(3).text(), expected[3]);

    Click(dialog.btDirectory);
    EXPECT_EQ(shown->blockCount(), 5);
    EXPECT_EQ(dialog.Lines()[2], "save to: /srv/out/");
    EXPECT_EQ(dialog.Lines()[3], expected[3]);
}

TEST_F(AddDialog, RootFolderKeepsItsOneSlash)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    m_dialogs.FolderAnswers = { "/" };
    dialog.show();
    Click(dialog.btDirectory);
    EXPECT_EQ(dialog.etDirectory->text(), "/");
    EXPECT_EQ(dialog.Lines()[2], "save to: /");
}

TEST_F(AddDialog, OkAcceptsWithTheChosenFormatAndFolder)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    m_dialogs.FolderAnswers = { "/srv/out" };
    WhenModal([](QDialog* shown) {
        auto* add = static_cast<TaddDlg*>(shown);
        Click(add->btDirectory);
        Click(add->btnOk);
    });
    dialog.exec();
    EXPECT_TRUE(dialog.Accepted());
    EXPECT_EQ(dialog.ComboBox1->ItemIndex(), 0);
    EXPECT_EQ(dialog.etDirectory->text(), "/srv/out/");
}

TEST_F(AddDialog, EscapeFromAnyControlClosesAsCancel)
{
    for (int control = 0; control < 3; ++control) {
        TaddDlg dialog;
        dialog.SetFiles(TwoFiles);
        WhenModal([control](QDialog* shown) {
            auto* add = static_cast<TaddDlg*>(shown);
            QWidget* target = control == 0 ? static_cast<QWidget*>(add->ComboBox1)
                : control == 1             ? static_cast<QWidget*>(add->etDirectory)
                                           : static_cast<QWidget*>(add->MyListBox1);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
        });
        dialog.exec();
        EXPECT_FALSE(dialog.Accepted()) << control;
        EXPECT_FALSE(dialog.isVisible()) << control;
    }
}

TEST_F(AddDialog, EnterDoesNotPressOk)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.ComboBox1->setFocus();
    QTest::keyClick(dialog.ComboBox1, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Accepted());
}

TEST_F(AddDialog, TabbedToOkOrCancelShowsTheFocusMarkAndSpaceOrEnterPressesIt)
{
    // The dotted mark runs 4 pixels inside the border.
    const auto marked = [](QWidget* button) { return Rendered(button).pixelColor(4, 20) != QColor(203, 221, 241); };
    for (const int key : { Qt::Key_Space, Qt::Key_Return }) {
        TaddDlg dialog;
        dialog.SetFiles(TwoFiles);
        dialog.show();
        Activate(&dialog);
        EXPECT_FALSE(marked(dialog.btnOk));
        TabTo(dialog.btnOk); // through the information panel, which hands the focus on
        EXPECT_TRUE(marked(dialog.btnOk));
        TabTo(dialog.btnCancel);
        EXPECT_FALSE(marked(dialog.btnOk));
        EXPECT_TRUE(marked(dialog.btnCancel));
        QWidget* pressed = key == Qt::Key_Space ? dialog.btnCancel : dialog.btnOk;
        TabTo(pressed);
        QTest::keyClick(pressed, Qt::Key(key));
        EXPECT_FALSE(dialog.isVisible()) << key;
        EXPECT_EQ(dialog.Accepted(), pressed == dialog.btnOk) << key;
    }
}

TEST_F(AddDialog, InformationPanelHandsTheFocusToOkAndCannotBeEdited)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const QStringList before = dialog.Lines();
    Click(dialog.Memo1->viewport(), Qt::LeftButton, QPoint(20, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == dialog.btnOk; }));
    QTest::keyClicks(QApplication::focusWidget(), "typed");
    EXPECT_EQ(dialog.Lines(), before);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(AddDialog, DrawsTheInformationInGreenOnBlack)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage memo = Rendered(dialog.LinePanel2);
    EXPECT_GT(CountPixels(memo, RGB(0, 255, 0)), 50);
    EXPECT_GT(CountPixels(memo, RGB(0, 0, 0)), 425 * 177 / 2);
    const QImage window = Rendered(&dialog);
    EXPECT_EQ(window.pixelColor(2, 300), QColor(129, 164, 209));
    EXPECT_EQ(window.pixelColor(12, 10), QColor(255, 255, 255)); // the file list's white frame
}

TEST_F(AddDialogEmptyCatalogue, LeavesTheFormatEmptyAndAcceptsWithNoFormat)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    EXPECT_EQ(dialog.ComboBox1->count(), 0);
    EXPECT_EQ(dialog.Lines()[1], "format: ");
    WhenModal([](QDialog* shown) { Click(static_cast<TaddDlg*>(shown)->btnOk); });
    dialog.exec();
    EXPECT_TRUE(dialog.Accepted());
    EXPECT_EQ(dialog.ComboBox1->ItemIndex(), -1);
}
