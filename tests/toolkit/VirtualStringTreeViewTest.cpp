#include "tests/support/Eventually.h"
#include "toolkit/PngImageList.h"
#include "toolkit/VirtualStringTree.h"

#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Row {
    QString Text;
};

const QColor Background(233, 234, 238);
const QColor FontColour(147, 121, 121);

// A shown list of 828 × 249, as on the main window, whose rows say their text in column 0.
class ListView : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.SetNodeDataType<Row>();
        tree.resize(828, 249);
        tree.OnGetText = [this](TVirtualStringTree* sender, PVirtualNode node, int column, QString& text) {
            ++textAsked;
            if (column == 0)
                text = sender->GetNodeData<Row>(node)->Text;
        };
        tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    }

    void Add(int count, const QString& text = "clip.avi")
    {
        tree.BeginUpdate();
        for (int i = 0; i < count; ++i)
            tree.GetNodeData<Row>(tree.AddChild(nullptr))->Text = text;
        tree.EndUpdate();
    }

    // The tree as the user sees it, in the coordinates of its client area (the rows' area).
    QImage Client()
    {
        const QImage whole = tree.grab().toImage();
        return whole.copy(tree.viewport()->geometry());
    }

    QPoint RowCentre(int row, int column) const
    {
        const QRect r = tree.CellRect(tree.GetNodeAtIndex(row), column);
        return r.center();
    }

    static int CountColour(const QImage& image, const QRect& area, const QColor& colour)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }

    TVirtualStringTree tree;
    int textAsked = 0;
};

} // namespace

TEST_F(ListView, DrawsTheRowsInTheListFontInsideAFivePixelBorder)
{
    Add(1, "Some fairly long clip name.avi");
    const QImage whole = tree.grab().toImage();
    EXPECT_EQ(tree.viewport()->geometry().topLeft(), QPoint(5, 5));
    EXPECT_EQ(whole.pixelColor(2, 2), Background);
    EXPECT_EQ(whole.pixelColor(2, 240), Background);
    EXPECT_TRUE(tree.verticalScrollBar()->isVisible());
    EXPECT_EQ(tree.horizontalScrollBar()->isVisible(), false);
    const QImage client = Client();
    EXPECT_GT(CountColour(client, QRect(0, 0, 700, 25), FontColour), 10);
    EXPECT_EQ(CountColour(client, QRect(0, 25, 700, 25), FontColour), 0);
    EXPECT_EQ(client.pixelColor(400, 60), Background);
}

TEST_F(ListView, AsksOnlyForTheRowsOnScreen)
{
    Add(100000);
    textAsked = 0;
    Client();
    const int shown = tree.ClientHeight() / 25 + 1;
    EXPECT_GT(textAsked, 0);
    EXPECT_LE(textAsked, 2 * shown);
    tree.verticalScrollBar()->setValue(tree.verticalScrollBar()->maximum());
    textAsked = 0;
    const QImage client = Client();
    EXPECT_LE(textAsked, 2 * (shown + 1));
    // The last row sits at the bottom edge with its text drawn.
    EXPECT_GT(CountColour(client, QRect(0, tree.ClientHeight() - 25, 700, 25), FontColour), 10);
}

TEST_F(ListView, BackgroundPictureStaysPutWhileRowsScroll)
{
    QImage picture(256, 256, QImage::Format_RGB32);
    picture.fill(QColor(200, 0, 0));
    tree.SetBackground(picture);
    tree.SetBackgroundOffsetX(tree.ClientWidth() - 256);
    tree.SetBackgroundOffsetY(tree.ClientHeight() - 256);
    Add(50);
    const QPoint corner(tree.ClientWidth() - 1, tree.ClientHeight() - 1);
    const QPoint outside(tree.ClientWidth() - 257, tree.ClientHeight() - 1);
    QImage client = Client();
    EXPECT_EQ(client.pixelColor(corner), QColor(200, 0, 0));
    EXPECT_EQ(client.pixelColor(outside), Background);
    tree.verticalScrollBar()->setValue(300);
    client = Client();
    EXPECT_EQ(client.pixelColor(corner), QColor(200, 0, 0));
    EXPECT_EQ(client.pixelColor(outside), Background);
}

TEST_F(ListView, ImagesAreBlendedBeforeTheText)
{
    TPngImageList images;
    QImage solid(16, 16, QImage::Format_ARGB32);
    solid.fill(QColor(0, 160, 0));
    QImage glass(16, 16, QImage::Format_ARGB32);
    glass.fill(QColor(0, 0, 255, 128));
    images.Add(solid);
    images.Add(glass);
    tree.SetImages(&images);
    tree.OnGetImageIndex = [](TVirtualStringTree* sender, PVirtualNode node, TVTImageKind, int column, int& index) {
        index = column == 0 ? sender->IndexOf(node) : -1;
    };
    Add(2);
    const QImage client = Client();
    // Image at 4 pixels into the cell, centred in the row of 25.
    EXPECT_EQ(client.pixelColor(4 + 8, 12), QColor(0, 160, 0));
    EXPECT_EQ(client.pixelColor(3, 12), Background);
    const QColor blended = client.pixelColor(4 + 8, 25 + 12);
    EXPECT_NEAR(blended.red(), 233 / 2, 2);
    EXPECT_NEAR(blended.blue(), (238 + 255) / 2, 2);
    EXPECT_EQ(CountColour(client, QRect(700, 0, 100, 50), QColor(0, 160, 0)), 0);
}

TEST_F(ListView, ClicksSelectTheRowUnderTheCursor)
{
    Add(5);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, RowCentre(2, 0));
    EXPECT_TRUE(tree.Selected(tree.GetNodeAtIndex(2)));
    EXPECT_EQ(tree.FocusedNode(), tree.GetNodeAtIndex(2));
    EXPECT_TRUE(tree.hasFocus());
    const QImage client = Client();
    EXPECT_NE(client.pixelColor(400, RowCentre(2, 0).y()), Background);
    EXPECT_EQ(client.pixelColor(400, RowCentre(3, 0).y()), Background);

    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, RowCentre(3, 1));
    EXPECT_TRUE(tree.Selected(tree.GetNodeAtIndex(3)));
    EXPECT_FALSE(tree.Selected(tree.GetNodeAtIndex(2)));

    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(100, 200));
    EXPECT_EQ(tree.SelectedNode(), nullptr);
}

TEST_F(ListView, KeysMoveTheSelectionAndKeepItInView)
{
    Add(100);
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_TRUE(tree.Selected(tree.GetNodeAtIndex(0)));
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_TRUE(tree.Selected(tree.GetNodeAtIndex(1)));
    QTest::keyClick(&tree, Qt::Key_End);
    EXPECT_EQ(tree.FocusedNode(), tree.GetNodeAtIndex(99));
    EXPECT_EQ(tree.verticalScrollBar()->value(), tree.verticalScrollBar()->maximum());
    QTest::keyClick(&tree, Qt::Key_Home);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(tree.Selected(tree.GetNodeAtIndex(0)));
}

TEST_F(ListView, ResizeIsReportedWithTheNewClientSize)
{
    QSize seen;
    tree.OnResize = [&](TVirtualStringTree* sender) { seen = QSize(sender->ClientWidth(), sender->ClientHeight()); };
    tree.resize(600, 300);
    EXPECT_EVENTUALLY(seen == tree.viewport()->size());
    EXPECT_EQ(seen.height(), 300 - 10);
}
