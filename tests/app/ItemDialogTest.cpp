#include "app/ItemForm.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/MyListBox.h"
#include "controls/PngSpeedButton.h"
#include "engine/commandManager.h"
#include "tests/app/AppTesting.h"
#include "tests/app/ProgramFolder.h"
#include "tests/support/TestDialogs.h"
#include "toolkit/SysUtils.h"

#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

class ItemDialog : public ::testing::Test
{
protected:
    ItemDialog()
    {
        m_catalogue = std::make_unique<TCommandManager>();
        CommandManager = m_catalogue.get();
    }
    ~ItemDialog() override { CommandManager = nullptr; }

    TItemData Item(const QString& name, const QByteArray& content, int format = 1, const QString& path = {})
    {
        TItemData item;
        item.FileName = m_folder.Source(name, content);
        item.FormatIndex = format;
        item.Path = path;
        return item;
    }

    TProgramFolder m_folder;
    TTestDialogs m_dialogs;
    std::unique_ptr<TCommandManager> m_catalogue;
};

} // namespace

TEST_F(ItemDialog, ShowsTheRowsFileFormatFolderNameAndSize)
{
    TItemData item = Item("holiday clip.avi", QByteArray(1234, 'x'), 1, "/srv/out/");
    item.Notes = { "Track 4 (subtitles: hdmv_pgs_subtitle) is left out: MP4 holds text subtitles only." };
    WhenModal([&item](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        EXPECT_EQ(dialog->windowTitle(), "Item Property");
        ASSERT_EQ(dialog->MyListBox1->count(), 1);
        EXPECT_EQ(dialog->MyListBox1->item(0)->text(), item.FileName);
        EXPECT_EQ(dialog->ComboBox1->Text(), "Test B");
        EXPECT_EQ(dialog->etDirectory->text(), "/srv/out/");
        EXPECT_EQ(dialog->Lines(),
            QStringList({ "file name: holiday clip.avi", "file size: 1234 Bytes", "save to: /srv/out/",
                "note: " + item.Notes[0] }));
        Click(dialog->btnCancel);
    });
    EXPECT_FALSE(ShowItemDialog(item).has_value());
}

TEST_F(ItemDialog, ShowsAFiveGigabyteSizeWhole)
{
    TItemData item = Item("big.mpg", {});
    QFile file(item.FileName);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(5368709120LL)); // sparse: no disk space is used
    file.close();
    QString sizeLine;
    WhenModal([&sizeLine](QDialog* shown) {
        sizeLine = static_cast<TItemDlg*>(shown)->Lines().value(1);
        shown->reject();
    });
    ShowItemDialog(item);
    EXPECT_EQ(sizeLine, "file size: 5368709120 Bytes");
}

TEST_F(ItemDialog, MissingFileRaisesTheSystemErrorWithoutShowingTheDialog)
{
    TItemData item = Item("gone.avi", "x");
    QFile::remove(item.FileName);
    bool shown = false;
    QTimer* watch = WhenModal([&shown](QDialog* dialog) {
        shown = true;
        dialog->reject();
    });
    try {
        ShowItemDialog(item);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const EOSError& error) {
        EXPECT_EQ(error.ErrorCode(), 2);
        EXPECT_EQ(error.Message(), "System Error.  Code: 2.\nNo such file or directory");
    }
    EXPECT_FALSE(shown);
    delete watch;
}

TEST_F(ItemDialog, AFolderInPlaceOfTheFileIsAnErrorToo)
{
    TItemData item;
    item.FileName = m_folder.Path();
    EXPECT_THROW(ShowItemDialog(item), EOSError);
}

TEST_F(ItemDialog, OkHandsBackTheChosenFormatAndFolder)
{
    const TItemData item = Item("a.avi", "x", 0, "/old/");
    m_dialogs.FolderAnswers = { "/new" };
    WhenModal([this](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        dialog->ComboBox1->setFocus();
        QTest::keyClick(dialog->ComboBox1, Qt::Key_Down);
        Click(dialog->btDirectory);
        Click(dialog->btnOk);
    });
    const auto accepted = ShowItemDialog(item);
    ASSERT_TRUE(accepted.has_value());
    EXPECT_EQ(accepted->FormatIndex, 1);
    EXPECT_EQ(accepted->Path, "/new/");
}

TEST_F(ItemDialog, CancelledPickerKeepsTheFolderShown)
{
    const TItemData item = Item("a.avi", "x", 0, "/old/");
    WhenModal([](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        Click(dialog->btDirectory);
        EXPECT_EQ(dialog->etDirectory->text(), "/old/");
        Click(dialog->btnOk);
    });
    const auto accepted = ShowItemDialog(item);
    ASSERT_TRUE(accepted.has_value());
    EXPECT_EQ(accepted->Path, "/old/");
}

TEST_F(ItemDialog, FormatOutsideTheCatalogueOpensUnselectedAndOkStoresNoFormat)
{
    const TItemData item = Item("a.avi", "x", 7);
    WhenModal([](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        EXPECT_EQ(dialog->ComboBox1->ItemIndex(), -1);
        Click(dialog->btnOk);
    });
    const auto accepted = ShowItemDialog(item);
    ASSERT_TRUE(accepted.has_value());
    EXPECT_EQ(accepted->FormatIndex, -1);
}

TEST_F(ItemDialog, EscapeAndChoosingAFormatLeaveTheLinesAndAcceptNothing)
{
    const TItemData item = Item("a.avi", "xy");
    WhenModal([this](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        dialog->ComboBox1->setFocus();
        QTest::keyClick(dialog->ComboBox1, Qt::Key_Up);
        EXPECT_EQ(dialog->Lines(),
            QStringList({ "file name: a.avi", "file size: 2 Bytes",
                "save to: use global path (" + m_folder.ConvertFolder() + "/)" }));
        QTest::keyClick(dialog->ComboBox1, Qt::Key_Escape);
    });
    EXPECT_FALSE(ShowItemDialog(item).has_value());
}
