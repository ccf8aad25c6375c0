#include "app/ChoiceBoxes.h"
#include "app/FormStyle.h"
#include "app/ItemForm.h"
#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/PngSpeedButton.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "list/treeManager.h"
#include "tests/app/AppTesting.h"
#include "toolkit/VirtualStringTree.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTest>

namespace
{

using AddFlow = TMainWindowTest;

const TItemData& Row(TmainDlg& window, int index)
{
    TVirtualStringTree* tree = window.VirtualStringTree1;
    return tree->GetNodeData<TItemNodeData>(tree->GetNodeAtIndex(index))->ItemData;
}

} // namespace

TEST_F(AddFlow, AddedFilesBecomeWaitingRowsInOrderAndAreCounted)
{
    const QStringList files = AddClips({ "", "", "" });
    ASSERT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(RowState(*m_window, i), int(Waiting));
        EXPECT_EQ(Row(*m_window, i).FileName, files[i]);
        EXPECT_EQ(Row(*m_window, i).FormatIndex, 0);
        EXPECT_EQ(Row(*m_window, i).Path, "");
    }
    EXPECT_EQ(m_window->lbCount->text(), "3 files, finished 0 of 3");
    ASSERT_EQ(m_dialogs.LastFilters.size(), 1);
    EXPECT_EQ(m_dialogs.LastFilters[0],
        "All Supported Formats|*.mpg;*.mpeg;*.wmv;*.avi;*.vob;*.mov;*.mp2;*.mpv;*.mp4;*.flv;*.mkv;*.webm;*.m4v;*.ts;"
        "*.mts;*.m2ts;*.3gp;*.ogv;*.wav;*.mp3;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.aac;*.wma|All Files|*.*");
}

TEST_F(AddFlow, TheDialogsFormatAndFolderGoToEveryAddedFile)
{
    const QStringList files = { m_folder.Source("a.avi"), m_folder.Source("b.avi") };
    m_dialogs.FileAnswers.append(files);
    m_dialogs.FolderAnswers = { "/srv/out" };
    WhenModal([](QDialog* shown) {
        auto* dialog = static_cast<TaddDlg*>(shown);
        dialog->ComboBox1->setFocus();
        QTest::keyClick(dialog->ComboBox1, Qt::Key_Down);
        Click(dialog->btDirectory);
        Click(dialog->btnOk);
    });
    Click(m_window->btnAdd);
    ASSERT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Row(*m_window, i).FormatIndex, 1);
        EXPECT_EQ(Row(*m_window, i).Path, "/srv/out/");
    }
}

TEST_F(AddFlow, TheSameFileTwiceGivesTwoRows)
{
    const QString file = m_folder.Source("same.avi");
    AddFilesThroughDialog(*m_window, m_dialogs, { file, file });
    ASSERT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 2u);
    EXPECT_EQ(Row(*m_window, 0).FileName, file);
    EXPECT_EQ(Row(*m_window, 1).FileName, file);
    EXPECT_EQ(RowState(*m_window, 1), int(Waiting));
}

TEST_F(AddFlow, CancelledFileDialogAddsNothingButRewritesTheCount)
{
    EXPECT_EQ(m_window->lbCount->text(), "0 files finished 0 of 0");
    Click(m_window->btnAdd);
    EXPECT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 0u);
    EXPECT_EQ(m_window->lbCount->text(), "0 files, finished 0 of 0");
}

TEST_F(AddFlow, CancelledAddDialogAddsNothing)
{
    AddClips({ "" });
    m_dialogs.FileAnswers.append(QStringList { m_folder.Source("more.avi") });
    WhenModal([](QDialog* shown) { Click(static_cast<TaddDlg*>(shown)->btnCancel); });
    Click(m_window->btnAdd);
    EXPECT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 1u);
    EXPECT_EQ(m_window->lbCount->text(), "1 files, finished 0 of 1");
}

TEST_F(AddFlow, ClickingTheAddCaptionActsAsTheButton)
{
    Click(m_window->lbAdd);
    EXPECT_EQ(m_dialogs.LastFilters.size(), 1);
    Click(m_window->lbAdd, Qt::RightButton);
    EXPECT_EQ(m_dialogs.LastFilters.size(), 2);
}

TEST_F(AddFlow, HoveringTheCaptionShowsTheButtonsHoverFace)
{
    const QRect face = m_window->btnAdd->geometry();
    const QImage before = Rendered(m_window.get()).copy(face);
    QTest::mouseMove(m_window->lbAdd, QPoint(5, 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Rendered(m_window.get()).copy(face) != before; }));
    QTest::mouseMove(m_window.get(), QPoint(700, 80));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Rendered(m_window.get()).copy(face) == before; }));
}

// The size, quality and sound chosen below the format go to every added file and show in its format cell, are
// offered again by the next add only when marked to be remembered, and change in a row's properties.
TEST_F(AddFlow, ChoicesGoToTheRowsComeBackWhenRememberedAndChangeInTheProperties)
{
    const QStringList files = { m_folder.Source("a.avi"), m_folder.Source("b.avi") };
    m_dialogs.FileAnswers.append(files);
    QImage drawn;
    WhenModal([&](QDialog* shown) {
        auto* dialog = static_cast<TaddDlg*>(shown);
        const TChoiceBoxes& boxes = *dialog->ChoiceBoxes;
        drawn = Rendered(dialog);
        boxes.cbSize->setFocus();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(boxes.cbSize, Qt::Key_Down);
        boxes.cbSound->setFocus();
        QTest::keyClick(boxes.cbSound, Qt::Key_Down);
        EXPECT_FALSE(dialog->cbRemember->isChecked());
        Click(dialog->cbRemember);
        Click(dialog->btnOk);
    });
    Click(m_window->btnAdd);
    // "as the format says" is drawn in each box, between the format box and the folder's label.
    EXPECT_GT(CountPixelsNear(drawn.copy(9, 214, 425, 30), ListFontColor), 150);
    const TEncoderChoices chosen { 720, TQualityChoice::AsFormat, TSoundChoice::Stereo };
    ASSERT_EQ(m_window->VirtualStringTree1->RootNodeCount(), 2u);
    EXPECT_TRUE(Row(*m_window, 0).Choices == chosen && Row(*m_window, 1).Choices == chosen);
    const PVirtualNode first = m_window->VirtualStringTree1->GetNodeAtIndex(0);
    EXPECT_TRUE(TreeManager->HintText(first).endsWith("\n[choices]: at most 720 lines, stereo"));
    QString formatCell;
    m_window->VirtualStringTree1->OnGetText(m_window->VirtualStringTree1, first, FormatColumn, formatCell);
    EXPECT_EQ(formatCell, QString::fromUtf8("Test A \u00b7 720 \u00b7 stereo"));

    // Remembered, they are offered again; then left unmarked, the add after starts as the format says.
    for (const TEncoderChoices& expected : { chosen, TEncoderChoices() }) {
        TEncoderChoices offered;
        m_dialogs.FileAnswers.append(files.mid(0, 1));
        WhenModal([&](QDialog* shown) {
            auto* dialog = static_cast<TaddDlg*>(shown);
            offered = dialog->ChoiceBoxes->Choices();
            if (dialog->cbRemember->isChecked())
                Click(dialog->cbRemember);
            Click(dialog->btnOk);
        });
        Click(m_window->btnAdd);
        EXPECT_TRUE(offered == expected);
    }

    WhenModal([](QDialog* shown) {
        auto* dialog = static_cast<TItemDlg*>(shown);
        dialog->ChoiceBoxes->cbQuality->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(dialog->ChoiceBoxes->cbQuality, Qt::Key_Down);
        Click(dialog->btnOk);
    });
    TreeManager->ShowProperties(first);
    EXPECT_TRUE(Row(*m_window, 0).Choices == TEncoderChoices({ 720, TQualityChoice::Smaller, TSoundChoice::Stereo }));
    EXPECT_TRUE(Row(*m_window, 1).Choices == chosen);
}
