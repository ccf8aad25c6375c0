#include "app/mainForm.h"
#include "controls/FSProgressBar.h"
#include "controls/LinePanelUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "tests/app/AppTesting.h"
#include "toolkit/TreeHeader.h"
#include "toolkit/VirtualStringTree.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace
{

using MainWindowLayout = TMainWindowTest;

} // namespace

// The layout's size is the smallest. A bigger window gives its room to the list, whose columns fill it, keeps the
// bar and the buttons under the list and the corner mark in the corner, maximises, and comes back as big as it
// was left, its columns as wide.
TEST_F(MainWindowLayout, GrowsWithTheListTakingTheRoomAndComesBackAsItWasLeft)
{
    EXPECT_EQ(m_window->size(), QSize(861, 529));
    EXPECT_EQ(m_window->minimumSize(), QSize(861, 529));
    EXPECT_TRUE(m_window->windowFlags() & Qt::WindowMaximizeButtonHint);
    m_window->resize(1261, 729);
    TVirtualStringTree* list = m_window->VirtualStringTree1;
    EXPECT_EQ(m_window->LinePanel1->geometry(), QRect(16, 136, 1228, 489));
    EXPECT_EQ(list->geometry(), QRect(0, 40, 1228, 449));
    EXPECT_EQ(m_window->ProgressBar1->geometry(), QRect(16, 632, 1228, 17));
    EXPECT_EQ(m_window->btnImport->geometry(), QRect(16, 656, 121, 41));
    EXPECT_EQ(m_window->cbSplitLongFiles->geometry(), QRect(456, 656, 136, 20));
    EXPECT_EQ(m_window->lbCount->geometry(), QRect(820, 8, 400, 18));
    EXPECT_EQ(m_window->Image3->geometry(), QRect(1249, 717, 11, 11));
    int columns = 0;
    for (int column = 0; column < list->ColumnCount(); ++column)
        columns += list->ColumnWidth(column);
    EXPECT_EQ(columns, list->ClientWidth());

    const QImage shot = Rendered(m_window.get());
    EXPECT_EQ(shot.pixelColor(40, 600), QColor(233, 234, 238)); // the list where the bar was
    EXPECT_EQ(shot.pixelColor(1250, 400), QColor(129, 164, 209)); // the window right of the panel
    EXPECT_EQ(shot.pixelColor(600, 632), QColor(141, 178, 227)); // the bar's border under the list
    EXPECT_GT(CountPixelsNear(shot.copy(16, 176, 1228, 25), RGB(21, 66, 139)), 20); // the column titles

    m_window->showMaximized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->isMaximized(); }));
    m_window->showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window->size() == QSize(1261, 729); }));
    list->Header()->resizeSection(3, 200); // the state column's edge dragged
    m_window->close();
    m_window = std::make_unique<TmainDlg>();
    EXPECT_EQ(m_window->size(), QSize(1261, 729));
    m_window->show();
    EXPECT_EQ(m_window->VirtualStringTree1->ColumnWidth(3), 200);
}

TEST_F(MainWindowLayout, EveryControlSitsWhereTheLayoutPutsIt)
{
    const struct {
        const char* name;
        QRect bounds;
    } expected[] = {
        { "Image1", { 0, 0, 400, 200 } },
        { "btnAdd", { 16, 16, 112, 101 } },
        { "lbAdd", { 60, 96, 24, 18 } },
        { "Image2", { 0, 508, 861, 21 } },
        { "ProgressBar1", { 16, 432, 828, 17 } },
        { "lbUpdate", { 740, 8, 104, 18 } },
        { "Image3", { 849, 517, 11, 11 } },
        { "btnConvert", { 144, 16, 112, 101 } },
        { "lbConvert", { 176, 96, 48, 18 } },
        { "lbTimer", { 600, 456, 244, 18 } },
        { "btnStop", { 272, 16, 112, 101 } },
        { "lbStop", { 315, 96, 27, 18 } },
        { "btnSupport", { 400, 16, 112, 101 } },
        { "lbSupport", { 432, 96, 49, 18 } },
        { "btnImport", { 16, 456, 121, 41 } },
        { "btnExport", { 144, 456, 121, 41 } },
        { "LinePanel1", { 16, 136, 828, 289 } },
        { "btnList", { 8, 14, 66, 29 } },
        { "Shape1", { 0, 39, 828, 1 } },
        { "lbList", { 32, 21, 18, 16 } },
        { "lbCount", { 420, 8, 400, 18 } },
        { "VirtualStringTree1", { 0, 40, 828, 249 } },
        { "cbSplitLongFiles", { 456, 456, 136, 20 } },
    };
    for (const auto& control : expected) {
        auto* widget = m_window->findChild<QWidget*>(control.name);
        ASSERT_NE(widget, nullptr) << control.name;
        EXPECT_EQ(widget->geometry(), control.bounds) << control.name;
    }
    // Captions lie over their buttons, the corner mark over the bottom strip, the list's parts on its panel.
    const QObjectList children = m_window->children();
    EXPECT_LT(children.indexOf(m_window->btnAdd), children.indexOf(m_window->lbAdd));
    EXPECT_LT(children.indexOf(m_window->Image2), children.indexOf(m_window->Image3));
    EXPECT_LT(children.indexOf(m_window->Image1), children.indexOf(m_window->btnSupport));
    EXPECT_EQ(m_window->VirtualStringTree1->parentWidget(), m_window->LinePanel1);
    EXPECT_EQ(m_window->lbCount->parentWidget(), m_window->LinePanel1);
}

TEST_F(MainWindowLayout, CountAndTimerStartUnwrittenAndTheRowMenuHasItsItems)
{
    EXPECT_EQ(m_window->lbCount->text(), "0 files finished 0 of 0");
    EXPECT_EQ(m_window->lbTimer->text(), "timestamp: 00:00:00");
    // The menu drawing shows each item's hint as its second line; separators have none.
    QStringList hints;
    for (const QAction* item : m_window->PopupMenu1->actions())
        hints << (item->isSeparator() ? "-" : item->statusTip());
    EXPECT_EQ(hints,
        QStringList({ "delete selected item", "clear all items", "take the converted files off the list", "-",
            "put the selected items back to waiting", "convert the failed items once more", "-",
            "open the converted file", "show the folder of the converted file", "-", "show properties", "-",
            "show what each watched folder's files came to" }));
}

TEST_F(MainWindowLayout, DrawsTheWindowPanelAndListInTheirColours)
{
    const QImage shot = Rendered(m_window.get());
    EXPECT_EQ(shot.pixelColor(852, 300), QColor(129, 164, 209)); // window background right of the panel
    EXPECT_EQ(shot.pixelColor(300, 150), QColor(191, 219, 255)); // the list panel's fill
    EXPECT_EQ(shot.pixelColor(300, 175), QColor(141, 178, 227)); // the line under the list tab
    EXPECT_EQ(shot.pixelColor(20, 190), QColor(233, 234, 238)); // the empty list
    EXPECT_EQ(shot.pixelColor(16, 432), QColor(141, 178, 227)); // the progress bar's border
    EXPECT_GT(CountPixelsNear(Rendered(m_window->lbCount), RGB(21, 66, 139)), 10);
    EXPECT_GT(CountPixelsNear(Rendered(m_window->lbTimer), RGB(255, 255, 255)), 10);
    // The header artwork and the button faces are drawn, not left blank.
    const QImage header = shot.copy(0, 0, 400, 130);
    EXPECT_LT(CountPixels(header, RGB(129, 164, 209)), 400 * 130 / 2);
}
