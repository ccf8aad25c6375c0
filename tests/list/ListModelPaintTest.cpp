#include "tests/list/ListModelSupport.h"
#include "tests/support/PixelCount.h"
#include "toolkit/PngImageList.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace {

const QColor Background(233, 234, 238);
const QColor BoxColour(127, 157, 185);
const QColor BarColour(52, 92, 140);

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

    // The colour each pixel of the box of a state cell must have: the outline 5 pixels in, filled from busyLeft to
    // busyRight (relative to the cell) in the fill colour, the list background everywhere else. Pixels of the bar's
    // text are let be.
    static QColor ExpectedStateCell(QSize cell, int x, int y, int busyLeft, int busyRight, const QColor& fill)
    {
        const bool inBox = x >= 5 && x < cell.width() - 5 && y >= 5 && y < cell.height() - 5;
        const bool outline = inBox && (x == 5 || x == cell.width() - 6 || y == 5 || y == cell.height() - 6);
        const bool filled = inBox && x >= busyLeft && x < busyRight;
        return outline ? BoxColour : filled ? fill : Background;
    }

    int WrongStatePixels(const QImage& client, int row, int busyLeft, int busyRight, const QRect& text = {},
        const QColor& fill = BoxColour)
    {
        const QRect cell = tree.CellRect(tree.GetNodeAtIndex(row), StateColumn);
        int wrong = 0;
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x)
                wrong += !text.contains(x, y)
                    && client.pixelColor(cell.left() + x, cell.top() + y)
                        != ExpectedStateCell(cell.size(), x, y, busyLeft, busyRight, fill);
        return wrong;
    }

    TPngImageList images;
};

} // namespace

// The state column of every kind of row: the empty box of a waiting row, the moving block of a converting row
// whose length is unknown, the bar of one whose percent is known with its words on it, the size and length of a
// Done row's file, and as many words of a Failed row's reason as fit.
TEST_F(ListPaint, StateColumnShowsHowFarEachRowIs)
{
    for (int state : { Waiting, Converting, Converting, Done, Failed })
        AddRow(tree, "/v/clip.avi", 0, "", state);
    Data(1)->ItemData.Busy = 1;
    Data(1)->ItemData.BusyPos = 74;
    Data(2)->ItemData.Busy = 1;
    Data(2)->ItemData.Percent = 50;
    Data(2)->ItemData.SecondsLeft = 65;
    Data(3)->ItemData.OutputSize = 12345678;
    Data(3)->ItemData.OutputLength = 64.6;
    Data(4)->ItemData.Reason = "The file is damaged or is not a video: moov atom not found";
    Show();
    const QImage client = Client();
    const QRect cell = tree.CellRect(tree.GetFirst(), StateColumn);
    ASSERT_EQ(cell.right(), tree.ClientWidth() - 1) << "the state column ends at the list's right edge";
    EXPECT_EQ(WrongStatePixels(client, 0, 0, 0), 0);
    EXPECT_EQ(WrongStatePixels(client, 1, 5 + 74, 5 + 74 + 15), 0);
    // Half of the box's inside is the bar; the words sit in the middle of the box, white on the bar.
    const int half = 6 + (cell.width() - 12) / 2;
    const QRect words(16, 6, cell.width() - 32, 13);
    EXPECT_EQ(WrongStatePixels(client, 2, 6, half, words, BarColour), 0);
    const QRect bar = tree.CellRect(tree.GetNodeAtIndex(2), StateColumn);
    EXPECT_GT(CountPixelsNear(client.copy(bar.left() + 16, bar.top() + 6, half - 16, 13), clWhite, 60), 5);
    EXPECT_GT(CountPixelsNear(client.copy(bar.left() + half, bar.top() + 6, cell.width() - 16 - half, 13),
                  ColorFromQColor(BarColour), 60),
        5);

    auto text = [&](int row) {
        QString cellText;
        tree.OnGetText(&tree, tree.GetNodeAtIndex(row), StateColumn, cellText);
        return cellText;
    };
    EXPECT_EQ(text(0), "");
    EXPECT_EQ(text(3), "12.3 MB, 00:01:05");
    EXPECT_TRUE(text(4).startsWith("The file is")) << text(4).toStdString();
    EXPECT_TRUE(text(4).endsWith(QChar(0x2026))) << text(4).toStdString();
    EXPECT_FALSE(text(4).contains("moov"));
    // The tree draws them in the list's colour.
    EXPECT_GT(
        CountPixelsNear(client.copy(tree.CellRect(tree.GetNodeAtIndex(3), StateColumn)), RGB(147, 121, 121), 60), 10);
}

// The words on the running row's bar and beside it, and a Done row's words with its notes, read at 4.5:1 at
// least on what is rendered behind them: selected or not, in the program's colours and in a high-contrast
// palette.
TEST_F(ListPaint, StateWordsReadAtFourAndAHalfToOne)
{
    AddRow(tree, "/v/running.avi", 0, "", Converting);
    AddRow(tree, "/v/noted.avi", 0, "", Done);
    Data(0)->ItemData.Busy = 1;
    Data(0)->ItemData.Percent = 50;
    Data(0)->ItemData.SecondsLeft = 65;
    Data(1)->ItemData.OutputSize = 1234;
    Data(1)->ItemData.Notes = QStringList { "Track 3 (subtitles: dvb_subtitle) is left out: MP4 holds text subtitles only." };
    const QPalette usual = QApplication::palette();
    QPalette high(Qt::white, Qt::black);
    high.setColor(QPalette::Base, Qt::black);
    high.setColor(QPalette::Text, Qt::white);
    high.setColor(QPalette::Highlight, QColor(26, 235, 255));
    high.setColor(QPalette::HighlightedText, Qt::black);
    for (const bool highContrast : { false, true }) {
        if (highContrast) {
            qputenv("GTK_THEME", "HighContrastInverse");
            QApplication::setPalette(high);
            // The list takes the desktop's colours when the model is installed.
            model.reset();
            model = std::make_unique<TTreeManager>(&tree);
            TreeManager = model.get();
        }
        for (const bool selected : { false, true }) {
            tree.SetSelected(tree.GetFirst(), selected);
            tree.SetSelected(tree.GetNodeAtIndex(1), selected);
            Show();
            const QImage client = Client();
            const QRect cell = tree.CellRect(tree.GetFirst(), StateColumn);
            const int half = 6 + (cell.width() - 12) / 2;
            const std::string where = std::string(highContrast ? "high contrast" : "usual") + (selected ? ", selected" : "");
            EXPECT_GE(TextContrast(client.copy(cell.left() + 16, cell.top() + 7, half - 16, 11)), 4.5) << where;
            EXPECT_GE(TextContrast(client.copy(cell.left() + half, cell.top() + 7, cell.width() - 16 - half, 11)), 4.5)
                << where;
            const QRect noted = tree.CellRect(tree.GetNodeAtIndex(1), StateColumn);
            EXPECT_GE(TextContrast(client.copy(noted.adjusted(4, 4, -4, -4))), 4.5) << where;
        }
    }
    qunsetenv("GTK_THEME");
    QApplication::setPalette(usual);
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
