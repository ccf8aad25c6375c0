#include "tests/list/ListModelSupport.h"

#include "toolkit/PngImageList.h"

#include <QPainter>

namespace {

const QColor Background(233, 234, 238);
const QColor BoxColour(127, 157, 185);

// The list with the program's state icons and watermark.
class ListPaint : public ListModelTest {
protected:
    void SetUp() override
    {
        ListModelTest::SetUp();
        for (const char* name : {"waiting", "converting", "done", "failed"})
            images.AddFile(QString(":/images/list/state-%1.png").arg(name));
        tree.SetImages(&images);
    }

    QImage Client() { return tree.grab().toImage().copy(tree.viewport()->geometry()); }

    // The colour each pixel of a 100 × 25 state cell must have: the box outline 5 pixels in, the block of 15
    // at busyPos when busy, the list background everywhere else.
    static QColor ExpectedStateCell(int x, int y, bool busy, int busyPos)
    {
        const bool inBox = x >= 5 && x < 95 && y >= 5 && y < 20;
        const bool outline = inBox && (x == 5 || x == 94 || y == 5 || y == 19);
        const bool block = busy && inBox && x >= 5 + busyPos && x < 5 + busyPos + 15;
        return outline || block ? BoxColour : Background;
    }

    void ExpectStateCell(const QImage& client, int row, bool busy, int busyPos)
    {
        const QRect cell = tree.CellRect(tree.GetNodeAtIndex(row), 1);
        ASSERT_EQ(cell.size(), QSize(100, 25));
        int wrong = 0;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 100; ++x)
                if (client.pixelColor(cell.left() + x, cell.top() + y) != ExpectedStateCell(x, y, busy, busyPos) &&
                    ++wrong <= 5)
                    ADD_FAILURE() << "row " << row << " pixel (" << x << ", " << y << ")";
        EXPECT_EQ(wrong, 0);
    }

    TPngImageList images;
};

} // namespace

TEST_F(ListPaint, StateBoxShowsTheMovingBlockAtBothEnds)
{
    for (int i = 0; i < 3; ++i)
        AddRow(tree, QString("/v/%1.avi").arg(i), 0, "");
    Data(0)->ItemData.Busy = 1;
    Data(0)->ItemData.BusyPos = 0;
    Data(1)->ItemData.Busy = 1;
    Data(1)->ItemData.BusyPos = 74;
    Show();
    ASSERT_GE(tree.ClientWidth(), 800);
    const QImage client = Client();
    ExpectStateCell(client, 0, true, 0);
    ExpectStateCell(client, 1, true, 74);
    ExpectStateCell(client, 2, false, 0);
    // One tick later the block is back at the left edge.
    Data(1)->ItemData.BusyPos = 0;
    tree.RepaintNode(tree.GetNodeAtIndex(1));
    ExpectStateCell(Client(), 1, true, 0);
}

TEST_F(ListPaint, FileColumnShowsTheStateIconThenTheName)
{
    for (int state : {Waiting, Converting, Done, Failed})
        AddRow(tree, "/v/clip.avi", 0, "", state);
    Show();
    const QImage client = Client();
    for (int state = 0; state < 4; ++state) {
        QImage expected(16, 16, QImage::Format_RGB32);
        expected.fill(Background);
        QPainter painter(&expected);
        images.Draw(painter, 0, 0, state);
        painter.end();
        const QRect cell = tree.CellRect(tree.GetNodeAtIndex(state), 0);
        const QImage drawn = client.copy(cell.left() + 4, cell.top() + 4, 16, 16).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(drawn, expected) << "state " << state;
        int nameInk = 0;
        for (int x = cell.left() + 24; x < cell.left() + 200; ++x)
            for (int y = cell.top(); y < cell.bottom(); ++y)
                nameInk += client.pixelColor(x, y) == QColor(147, 121, 121);
        EXPECT_GT(nameInk, 10) << "state " << state;
    }
    // The icons differ, so each state is told apart at a glance.
    EXPECT_NE(images.Image(Waiting), images.Image(Done));
    EXPECT_NE(images.Image(Converting), images.Image(Failed));
}

TEST_F(ListPaint, WatermarkStaysInTheLowerRightCorner)
{
    QImage watermark(":/images/list/watermark.png");
    ASSERT_EQ(watermark.size(), QSize(256, 256));
    watermark = watermark.convertToFormat(QImage::Format_RGB32);
    tree.SetBackground(watermark);
    Show();
    auto cornerMatches = [&] {
        const QImage client = Client().convertToFormat(QImage::Format_RGB32);
        const int w = std::min(256, tree.ClientWidth());
        const int h = std::min(256, tree.ClientHeight());
        return client.copy(tree.ClientWidth() - w, tree.ClientHeight() - h, w, h) ==
               watermark.copy(256 - w, 256 - h, w, h);
    };
    EXPECT_EQ(tree.BackgroundOffsetX(), tree.ClientWidth() - 256);
    EXPECT_EQ(tree.BackgroundOffsetY(), tree.ClientHeight() - 256);
    EXPECT_LT(tree.BackgroundOffsetY(), 0); // 239 high: the top of the picture is cut
    EXPECT_TRUE(cornerMatches());
    tree.resize(700, 400);
    EXPECT_EVENTUALLY(tree.BackgroundOffsetY() == tree.ClientHeight() - 256);
    EXPECT_EQ(tree.BackgroundOffsetX(), tree.ClientWidth() - 256);
    EXPECT_TRUE(cornerMatches());
}
