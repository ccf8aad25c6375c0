#include "toolkit/Canvas.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

QImage Blank(int w = 20, int h = 20)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

bool IsBlack(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == QColor(Qt::black);
}

} // namespace

TEST(Canvas, LinesLeaveOutTheirEndPoint)
{
    struct Case {
        QPoint From, To, LastDrawn, NotDrawn;
    };
    const Case cases[] = {
        {{2, 5}, {10, 5}, {9, 5}, {10, 5}},   // right
        {{10, 6}, {2, 6}, {3, 6}, {2, 6}},    // left
        {{4, 2}, {4, 12}, {4, 11}, {4, 12}},  // down
        {{5, 12}, {5, 2}, {5, 3}, {5, 2}},    // up
        {{2, 2}, {8, 8}, {7, 7}, {8, 8}},     // diagonal
    };
    for (const Case& c : cases) {
        QImage image = Blank();
        {
            QPainter painter(&image);
            TCanvas canvas(painter);
            canvas.PenColor = clBlack;
            canvas.MoveTo(c.From.x(), c.From.y());
            canvas.LineTo(c.To.x(), c.To.y());
        }
        EXPECT_TRUE(IsBlack(image, c.From.x(), c.From.y()));
        EXPECT_TRUE(IsBlack(image, c.LastDrawn.x(), c.LastDrawn.y()));
        EXPECT_FALSE(IsBlack(image, c.NotDrawn.x(), c.NotDrawn.y()));
    }
}

TEST(Canvas, RectanglesCoverLeftToRightMinusOne)
{
    QImage image = Blank();
    {
        QPainter painter(&image);
        TCanvas canvas(painter);
        canvas.FillRect({2, 3, 6, 8}, clBlack);
        canvas.PenColor = RGB(255, 0, 0);
        canvas.BrushColor = RGB(0, 0, 255);
        canvas.Rectangle({10, 10, 15, 16});
    }
    EXPECT_TRUE(IsBlack(image, 2, 3));
    EXPECT_TRUE(IsBlack(image, 5, 7));
    EXPECT_FALSE(IsBlack(image, 6, 7));
    EXPECT_FALSE(IsBlack(image, 5, 8));
    EXPECT_EQ(image.pixelColor(10, 10), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(14, 15), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(12, 12), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(14, 16), QColor(Qt::white));
}

TEST(Canvas, FrameRectIsTheOutermostRing)
{
    QImage image = Blank();
    {
        QPainter painter(&image);
        TCanvas canvas(painter);
        canvas.BrushColor = clBlack;
        canvas.FrameRect({1, 1, 6, 6});
    }
    EXPECT_TRUE(IsBlack(image, 1, 1));
    EXPECT_TRUE(IsBlack(image, 5, 5));
    EXPECT_TRUE(IsBlack(image, 5, 1));
    EXPECT_FALSE(IsBlack(image, 3, 3));
    EXPECT_FALSE(IsBlack(image, 6, 6));
}

TEST(Colour, RgbTriplesAndSystemColours)
{
    EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
    EXPECT_EQ(ColorToRGB(RGB(147, 121, 121)), QColor(147, 121, 121));
    EXPECT_EQ(ColorToRGB(clInfoBk), QApplication::palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(ColorToRGB(clBtnFace), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(ColorFromQColor(QColor(10, 20, 30)), RGB(10, 20, 30));
}

TEST(Canvas, RoundRectCutsAllFourCornersAlike)
{
    QImage image = Blank(12, 9);
    {
        QPainter painter(&image);
        TCanvas canvas(painter);
        canvas.PenColor = clBlack;
        canvas.BrushColor = RGB(255, 0, 0);
        canvas.RoundRect({0, 0, 12, 9}, 5, 5);
    }
    const char* expected[] = {
        "..########..",
        ".#oooooooo#.",
        "#oooooooooo#",
        "#oooooooooo#",
        "#oooooooooo#",
        "#oooooooooo#",
        "#oooooooooo#",
        ".#oooooooo#.",
        "..########..",
    };
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const char want = expected[y][x];
            const QColor pixel = image.pixelColor(x, y);
            const char got = pixel == Qt::black ? '#' : pixel == QColor(255, 0, 0) ? 'o' : '.';
            EXPECT_EQ(got, want) << x << "," << y;
        }
    EXPECT_EQ(TCanvas::RoundRectRegion({0, 0, 12, 9}, 5, 5),
        QRegion(QRect(2, 0, 8, 1)) + QRect(1, 1, 10, 1) + QRect(0, 2, 12, 5) + QRect(1, 7, 10, 1) + QRect(2, 8, 8, 1));
}
