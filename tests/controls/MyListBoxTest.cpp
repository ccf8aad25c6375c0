#include "controls/MyListBox.h"

#include "Pixels.h"
#include "toolkit/PngImageList.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor Violet(181, 178, 255);
const QColor Blue(0, 0, 255);
const QColor Icon(0, 160, 0);
const QColor Text(147, 121, 121);

// A shown list of three files, 35-pixel rows, one 32 × 32 icon, as the dialogs use it.
struct Fixture {
    TPngImageList Images{32, 32};
    TMyListBox List;

    Fixture()
    {
        Images.Add(SolidImage(32, 32, Icon));
        List.resize(240, 140);
        List.setFont(CrispFont(12));
        List.SetFontColor(RGB(147, 121, 121));
        List.SetColor(clWhite);
        List.SetImageList(&Images);
        List.SetItemHeight(35);
        List.addItems({"first.avi", "second.avi", "third.avi"});
        List.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&List));
    }

    QRect Row(int i) { return List.visualItemRect(List.item(i)); }
    // The row as the viewport shows it.
    QImage RowImage(int i) { return List.viewport()->grab(Row(i)).toImage().convertToFormat(QImage::Format_RGB32); }
};

} // namespace

TEST(MyListBoxLook, RowsAreItemHeightWithTheIconCentredAndTextAfterIt)
{
    Fixture f;
    EXPECT_EQ(f.Row(1).height(), 35);
    EXPECT_EQ(f.Row(1).top(), 35);
    const QImage row = f.RowImage(2); // the first row is current once the list has the focus
    // The icon at x = 4, y = (35 − 32) / 2 = 1.
    EXPECT_EQ(row.pixelColor(4, 1), Icon);
    EXPECT_EQ(row.pixelColor(35, 32), Icon);
    EXPECT_NE(row.pixelColor(3, 1), Icon);
    EXPECT_NE(row.pixelColor(4, 0), Icon);
    EXPECT_NE(row.pixelColor(36, 32), Icon);
    EXPECT_NE(row.pixelColor(35, 33), Icon);
    const auto columns = InkColumns(row, Text);
    EXPECT_GE(columns.first, 40); // text from x = 32 + 8
    EXPECT_LE(columns.first, 42);
    const auto rows = InkRows(row, Text);
    EXPECT_NEAR(rows.first, 34 - rows.second, 4); // vertically centred
}

TEST(MyListBoxLook, ClickedItemShowsTheVioletBoxWithBlueText)
{
    Fixture f;
    QTest::mouseClick(f.List.viewport(), Qt::LeftButton, {}, f.Row(1).center());
    EXPECT_EQ(f.List.currentRow(), 1);
    const QImage selected = f.RowImage(1);
    EXPECT_EQ(selected.pixelColor(2, 2), Violet);
    EXPECT_EQ(selected.pixelColor(selected.width() - 1, 34), Violet);
    EXPECT_GT(CountPixels(selected, Blue), 10);
    EXPECT_EQ(CountPixels(selected, Text), 0);
    EXPECT_EQ(selected.pixelColor(10, 10), Icon);

    const QImage other = f.RowImage(2);
    EXPECT_EQ(other.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_GT(CountPixels(other, Text), 10);
    EXPECT_EQ(CountPixels(other, Violet), 0);
}

TEST(MyListBoxLook, FocusedButUnselectedItemLooksSelected)
{
    Fixture f;
    f.List.setFocus();
    QTRY_VERIFY(f.List.hasFocus());
    f.List.selectionModel()->setCurrentIndex(f.List.model()->index(2, 0), QItemSelectionModel::NoUpdate);
    EXPECT_FALSE(f.List.item(2)->isSelected());
    const QImage focused = f.RowImage(2);
    EXPECT_EQ(focused.pixelColor(2, 2), Violet);
    EXPECT_GT(CountPixels(focused, Blue), 10);
}

TEST(MyListBoxLook, WithoutAnImageListTheTextStillShows)
{
    Fixture f;
    f.List.SetImageList(nullptr);
    const QImage row = f.RowImage(2);
    EXPECT_EQ(CountPixels(row, Icon), 0);
    const auto columns = InkColumns(row, Text);
    EXPECT_GE(columns.first, 8);
    EXPECT_LE(columns.first, 10);
}

TEST(MyListBoxLook, ImageIndexOutsideTheListDrawsNoIcon)
{
    Fixture f;
    f.List.SetImageIndex(3);
    EXPECT_EQ(CountPixels(f.RowImage(0), Icon), 0);
}
