#include "app/ItemForm.h"
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
#include <QDir>
#include <QPlainTextEdit>
#include <QSettings>
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

TEST_F(AddDialog, OpensWithTheFilesAndSixInformationLines)
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
        QStringList({ "file count: 2", "format: Test A", "keeps what its params map", GlobalLine(), "Ready to go...click OK",
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
        QStringList({ "file count: 2", "format: Test B", "keeps what its params map", GlobalLine(), "Ready to go...click OK",
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
    EXPECT_EQ(dialog.Lines()[3], "save to: /srv/out/");
    Click(dialog.btDirectory); // the picker is cancelled this time
    EXPECT_EQ(dialog.etDirectory->text(), "");
    EXPECT_EQ(dialog.Lines()[3], GlobalLine());
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
    const QStringList expected = { "file count: 2", "format: Test B", "keeps what its params map",
        "save to: /srv/two\nlines/",
        "Ready to go...click OK", "Cancel the operation...click Cancel" };
    EXPECT_EQ(dialog.Lines(), expected);
    // The memo shows the break inside the line as a return sign, so the panel keeps its six lines.
    const QTextDocument* shown = dialog.Memo1->document();
    ASSERT_EQ(shown->blockCount(), 6);
    EXPECT_EQ(shown->findBlockByNumber(3).text(), QString("save to: /srv/two\u21B5lines/"));
    EXPECT_EQ(shown->findBlockByNumber(4).text(), expected[4]);

    Click(dialog.btDirectory);
    EXPECT_EQ(shown->blockCount(), 6);
    EXPECT_EQ(dialog.Lines()[3], "save to: /srv/out/");
    EXPECT_EQ(dialog.Lines()[4], expected[4]);
}

TEST_F(AddDialog, RootFolderKeepsItsOneSlash)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    m_dialogs.FolderAnswers = { "/" };
    dialog.show();
    Click(dialog.btDirectory);
    EXPECT_EQ(dialog.etDirectory->text(), "/");
    EXPECT_EQ(dialog.Lines()[3], "save to: /");
}

TEST_F(AddDialog, OkAcceptsWithTheChosenFormatAndFolder)
{
    TaddDlg dialog;
    dialog.SetFiles(TwoFiles);
    m_dialogs.FolderAnswers = { m_folder.Path() + "/out" };
    WhenModal([](QDialog* shown) {
        auto* add = static_cast<TaddDlg*>(shown);
        Click(add->btDirectory);
        Click(add->btnOk);
    });
    dialog.exec();
    EXPECT_TRUE(dialog.Accepted());
    EXPECT_EQ(dialog.FormatIndex(), 0);
    EXPECT_EQ(dialog.SaveFolder(), m_folder.Path() + "/out/");
}

// Typed or pasted, the save path is checked by OK: a folder that is not there yet is taken as it is (the
// conversion makes it), "~" is the home folder, and a path the rows cannot use keeps the dialog open and says why.
TEST_F(AddDialog, ATypedSavePathIsCheckedWhenOkIsPressed)
{
    const QString base = m_folder.Path();
    const struct {
        QString typed;
        QString folder; // what OK takes; empty when it refuses
        QString refusal; // how the message starts when it refuses
    } cases[] = {
        { "", "", "" },
        { base + "/new/deeper", base + "/new/deeper/", "" },
        { "~/Videos/out", QDir::homePath() + "/Videos/out/", "" },
        { "relative/out", "", "The save path \"relative/out\" is not a full path" },
        { base + "/command/out", "", "\"" + base + "/command\" is a file" },
    };
    for (const auto& c : cases) {
        m_dialogs.Messages.clear();
        TaddDlg dialog;
        dialog.SetFiles(TwoFiles);
        WhenModal([&c](QDialog* shown) {
            auto* add = static_cast<TaddDlg*>(shown);
            add->etDirectory->setFocus();
            QTest::keyClicks(add->etDirectory, c.typed);
            if (!c.typed.isEmpty())
                EXPECT_EQ(add->Lines()[3], "save to: " + c.typed);
            Click(add->btnOk);
            if (add->isVisible())
                Click(add->btnCancel);
        });
        dialog.exec();
        EXPECT_EQ(dialog.Accepted(), c.refusal.isEmpty()) << c.typed.toStdString();
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(dialog.SaveFolder(), c.folder);
            EXPECT_TRUE(m_dialogs.Messages.isEmpty());
        } else {
            ASSERT_EQ(m_dialogs.Messages.size(), 1) << c.typed.toStdString();
            EXPECT_TRUE(m_dialogs.Messages[0].Text.startsWith(c.refusal)) << m_dialogs.Messages[0].Text.toStdString();
        }
    }
    EXPECT_FALSE(QDir(base + "/new").exists()) << "made only when a row needs it";
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
    EXPECT_EQ(dialog.FormatIndex(), -1);
}

// Two video formats, two sound ones and a same-quality one, as the shipped catalogue has them in kind.
class AddDialogKinds : public AddDialog
{
protected:
    AddDialogKinds()
        : AddDialog("<commands>"
                    "<c><format>Video A</format><params>-map 0:v:0? -map 0:a:0?</params><ext>mp4</ext></c>"
                    "<c><format>Video B</format><params>-n</params><ext>mkv</ext></c>"
                    "<c><format>Sound C</format><params>-vn</params><ext>mp3</ext></c>"
                    "<c><format>Sound D</format><params>-map 0:a:0</params><ext>m4a</ext></c>"
                    "<c><format>Same E</format><params>-n</params><ext>mkv</ext><plan>tracks copy</plan></c>"
                    "</commands>")
    {
    }
};

// The formats stand under headings, each keeping its place in the catalogue; the one offered is the one chosen
// last with OK for files of the same kind, else the first sound format for sound files and the first for video.
TEST_F(AddDialogKinds, OffersTheFormatChosenLastForTheFilesKindUnderHeadings)
{
    TaddDlg listed;
    QStringList items;
    for (int i = 0; i < listed.ComboBox1->count(); ++i)
        items << listed.ComboBox1->itemText(i);
    EXPECT_EQ(items,
        QStringList({ "Same quality: copies what fits", "Same E", "Video", "Video A", "Video B", "Sound only",
            "Sound C", "Sound D" }));
    EXPECT_EQ(listed.ComboBox1->itemData(1).toInt(), 4);

    const struct {
        QStringList earlier; // files added before, with the format chosen for them
        int chosen;
        QStringList files;
        int offered;
    } cases[] = {
        { {}, -1, { "/v/a.avi" }, 0 },
        { {}, -1, { "/s/a.mp3", "/s/b.FLAC" }, 2 },
        { { "/v/a.avi" }, 1, { "/v/b.mkv" }, 1 },
        { { "/v/a.avi" }, 4, { "/s/b.wav" }, 2 },
        { { "/s/a.opus" }, 3, { "/s/b.m4a" }, 3 },
        { { "/s/a.opus" }, 3, { "/v/b.mp4", "/s/c.mp3" }, 0 },
    };
    for (const auto& c : cases) {
        QSettings().remove("formats");
        if (!c.earlier.isEmpty()) {
            TaddDlg earlier;
            earlier.SetFiles(c.earlier);
            earlier.SetFormatIndex(c.chosen);
            WhenModal([](QDialog* shown) { Click(static_cast<TaddDlg*>(shown)->btnOk); });
            earlier.exec();
        }
        TaddDlg dialog;
        dialog.SetFiles(c.files);
        EXPECT_EQ(dialog.FormatIndex(), c.offered) << c.files.join(' ').toStdString();
        EXPECT_EQ(dialog.Lines()[1], "format: " + dialog.ComboBox1->Text());
    }
}

// The properties list the formats as the add dialog does, showing a row's own by its place in the catalogue, and
// take a typed folder, checked when OK is pressed.
TEST_F(AddDialogKinds, PropertiesGroupTheFormatsAndCheckATypedFolder)
{
    TItemData item;
    item.FileName = m_folder.Source("a.avi", "x");
    item.FormatIndex = 3;
    WhenModal([this](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        EXPECT_EQ(dialog->ComboBox1->count(), 8);
        EXPECT_EQ(dialog->ComboBox1->Text(), "Sound D");
        dialog->etDirectory->setFocus();
        QTest::keyClicks(dialog->etDirectory, "relative/out");
        EXPECT_EQ(dialog->Lines()[2], "save to: relative/out");
        Click(dialog->btnOk);
        EXPECT_EQ(m_dialogs.Messages.size(), 1);
        dialog->etDirectory->setText(m_folder.Path() + "/new");
        Click(dialog->btnOk);
    });
    const auto accepted = ShowItemDialog(item);
    ASSERT_TRUE(accepted.has_value());
    EXPECT_EQ(accepted->FormatIndex, 3);
    EXPECT_EQ(accepted->Path, m_folder.Path() + "/new/");
}
