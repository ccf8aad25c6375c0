#include "controls/MyFlatHintUnit.h"
#include "tests/controls/FlatGallery.h"
#include "tests/controls/Pixels.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

const QColor Border(0, 0, 0);
const QColor Background(255, 255, 255);
const QColor ArrowBackground(255, 210, 83);
const QColor Arrow(21, 66, 139);

// A form with the hint component set up as the main window sets it, in plain colours for the checks.
struct HintForm {
    QWidget Form;
    TMyFlatHint* Hint;
    TMyFlatHintWindow Window;
    QRect Screen = QGuiApplication::primaryScreen()->geometry();

    HintForm()
    {
        Hint = new TMyFlatHint(&Form);
        Hint->SetColorArrow(RGB(21, 66, 139));
        QFont font("Trebuchet MS");
        font.setPixelSize(16);
        Hint->SetFont(font);
        Hint->SetFontColor(RGB(21, 66, 139));
    }

    int Advance(const QString& text) const { return QFontMetrics(Hint->Font()).horizontalAdvance(text); }
    int LineHeight() const { return QFontMetrics(Hint->Font()).height(); }

    QImage Show(const QString& text, QPoint cursor)
    {
        EXPECT_TRUE(Window.ActivateHint({0, 0, 0, 0}, text, cursor));
        return Window.grab().toImage();
    }
};

} // namespace

TEST(FlatHintPlacement, EachQuadrantPutsTheWindowOnItsSideWithItsGap)
{
    HintForm f;
    const int w4 = f.Screen.width() / 4;
    const int h4 = f.Screen.height() / 4;
    struct Case {
        QPoint Cursor;
        int Quadrant;
    };
    const Case cases[] = {
        {{w4, h4}, 1},          // top-left: below and right, gap 12
        {{3 * w4, h4}, 0},      // top-right: below and left, gap 5
        {{w4, 3 * h4}, 3},      // bottom-left: above and right
        {{3 * w4, 3 * h4}, 2},  // bottom-right: above and left
    };
    for (const Case& c : cases) {
        f.Show("add video files", c.Cursor);
        const QRect g = f.Window.geometry();
        EXPECT_EQ(f.Window.Quadrant(), c.Quadrant);
        switch (c.Quadrant) {
        case 1:
            EXPECT_EQ(g.topLeft(), c.Cursor + QPoint(12, 12));
            break;
        case 0:
            EXPECT_EQ(g.left() + g.width(), c.Cursor.x() - 5);
            EXPECT_EQ(g.top(), c.Cursor.y() + 5);
            break;
        case 3:
            EXPECT_EQ(g.left(), c.Cursor.x() + 5);
            EXPECT_EQ(g.top() + g.height(), c.Cursor.y() - 5);
            break;
        case 2:
            EXPECT_EQ(g.left() + g.width(), c.Cursor.x() - 5);
            EXPECT_EQ(g.top() + g.height(), c.Cursor.y() - 5);
            break;
        }
        EXPECT_TRUE(f.Window.isVisible());
    }
}

TEST(FlatHintPlacement, CentreLinesAndFarEdgesCountAsRightAndBottom)
{
    HintForm f;
    const int hw = f.Screen.width() / 2;
    const int hh = f.Screen.height() / 2;
    const struct {
        QPoint Cursor;
        int Quadrant;
    } cases[] = {
        {{hw, 10}, 0},
        {{hw - 1, 10}, 1},
        {{10, hh}, 3},
        {{10, hh - 1}, 1},
        {{hw, hh}, 2},
        {{f.Screen.width(), 10}, 2},
        {{10, f.Screen.height()}, 2},
    };
    for (const auto& c : cases) {
        f.Show("x", c.Cursor);
        EXPECT_EQ(f.Window.Quadrant(), c.Quadrant) << c.Cursor.x() << "," << c.Cursor.y();
    }
}

TEST(FlatHintPlacement, NoClampingAtTheScreenEdge)
{
    HintForm f;
    f.Show("a hint near the top edge of the screen", {f.Screen.width() - 2, 2});
    EXPECT_EQ(f.Window.geometry().top(), 7);
    f.Show("a hint in the corner", {f.Screen.width() - 2, f.Screen.height() - 2});
    EXPECT_EQ(f.Window.geometry().bottom() + 1, f.Screen.height() - 7);
    f.Show(QString("a very tall hint ").repeated(100), {f.Screen.width() - 2, f.Screen.height() - 2});
    EXPECT_LT(f.Window.geometry().top(), 0);
}

TEST(FlatHintSize, OneLineIsTextPlus22By6)
{
    HintForm f;
    const QString text = "add video files";
    f.Show(text, {50, 50});
    EXPECT_LT(f.Advance(text), 200 - 22);
    EXPECT_EQ(f.Window.size(), QSize(f.Advance(text) + 22, f.LineHeight() + 6));
}

TEST(FlatHintSize, LongTextWrapsAtMaxHintWidthLess22)
{
    HintForm f;
    const QString text = "load list from a disk file and keep every row with its format and folder";
    f.Show(text, {50, 50});
    EXPECT_LE(f.Window.width(), 200);
    EXPECT_GE(f.Window.height(), 2 * f.LineHeight() + 6);
    EXPECT_EQ((f.Window.height() - 6) % f.LineHeight(), 0);

    f.Hint->SetMaxHintWidth(400);
    f.Show(text, {50, 50});
    EXPECT_GT(f.Window.width(), 200);
    EXPECT_LE(f.Window.width(), 400);
}

TEST(FlatHintSize, ThreeLineRowHintIsThreeLinesHigh)
{
    HintForm f;
    const QString text = "[file]: /v/a.avi\n[format]: MP4\n[path]: ";
    f.Show(text, {50, 50});
    EXPECT_EQ(f.Window.height(), 3 * f.LineHeight() + 6);
}

TEST(FlatHintSize, WordsAreNeverSplitAndAnOverlongWordWidensTheHint)
{
    HintForm f;
    const QString path = "/home/user/Videos/very-long.folder.name/clip.mp4";
    ASSERT_GT(f.Advance(path), 200 - 22);
    f.Show(path, {50, 50});
    EXPECT_EQ(f.Window.size(), QSize(f.Advance(path) + 22, f.LineHeight() + 6));

    f.Hint->SetMaxHintWidth(f.Advance("(H.") + 22);
    f.Show("(H.264 / AAC)", {50, 50});
    EXPECT_EQ(f.Window.width(), f.Advance("(H.264") + 22);

    // Widened by its longest word, the hint takes the words of its other lines at that width.
    const QString word = QString("a").repeated(20);
    f.Hint->SetMaxHintWidth(f.Advance("bb") + 22);
    f.Show(word + "\nbb bb", {50, 50});
    EXPECT_EQ(f.Window.size(), QSize(f.Advance(word) + 22, 2 * f.LineHeight() + 6));
}

TEST(FlatHintPaint, AnOverlongWordIsDrawnWholeOnItsLine)
{
    HintForm f;
    f.Hint->SetFont(CrispFont(16));
    const QString folder = "/home/user/Videos/very-long.folder.name/";
    const QImage image = f.Show("[path]:\n" + folder, {50, 50});
    const int lh = f.LineHeight();
    EXPECT_EQ(image.size(), QSize(f.Advance(folder) + 22, 2 * lh + 6));
    // The text area starts 3 pixels right of the arrow column and one below the frame; the folder's ink spans
    // the second line from its left edge to its right edge.
    const QImage second = image.copy(18, 2 + lh, image.width() - 22, lh);
    const auto [left, right] = InkColumns(second, Arrow);
    EXPECT_LE(left, 2);
    EXPECT_GE(right, second.width() - 3);
}

TEST(FlatHintSize, AmpersandsAreMeasuredAndDrawnAsTheyAre)
{
    HintForm f;
    f.Show("&&&&&&&&", {50, 50});
    EXPECT_EQ(f.Window.width(), f.Advance("&&&&&&&&") + 22);
    EXPECT_GT(f.Window.width(), f.Advance("&&&&") + 22);
}

TEST(FlatHintPaint, ColumnFacesTheCursorAndTheArrowStartsInItsCorner)
{
    HintForm f;
    const int w4 = f.Screen.width() / 4;
    const int h4 = f.Screen.height() / 4;

    QImage image = f.Show("add video files", {w4, h4}); // top-left
    int W = image.width(), H = image.height();
    EXPECT_EQ(image.pixelColor(0, 0), Border);
    EXPECT_EQ(image.pixelColor(W - 1, H - 1), Border);
    EXPECT_EQ(image.pixelColor(1, H / 2), ArrowBackground);
    EXPECT_EQ(image.pixelColor(14, H - 2), ArrowBackground);
    EXPECT_EQ(image.pixelColor(15, H - 2), Background);
    EXPECT_EQ(f.Window.ArrowAnchor(), QPoint(3, 3));
    EXPECT_EQ(image.pixelColor(3, 3), Arrow);
    EXPECT_EQ(image.pixelColor(3, 9), Arrow);  // down the shaft to dy 6
    EXPECT_EQ(image.pixelColor(9, 3), Arrow);  // along the top to dx 6
    EXPECT_EQ(image.pixelColor(10, 9), Arrow); // the head's far end (7, 6)
    EXPECT_EQ(image.pixelColor(2, 2), ArrowBackground);

    image = f.Show("add video files", {3 * w4, h4}); // top-right
    W = image.width();
    H = image.height();
    EXPECT_EQ(image.pixelColor(W - 2, H / 2), ArrowBackground);
    EXPECT_EQ(image.pixelColor(W - 15, H - 2), ArrowBackground);
    EXPECT_EQ(image.pixelColor(W - 16, H - 2), Background);
    EXPECT_EQ(image.pixelColor(1, H - 2), Background);
    EXPECT_EQ(f.Window.ArrowAnchor(), QPoint(W - 4, 3));
    EXPECT_EQ(image.pixelColor(W - 4, 3), Arrow);
    EXPECT_EQ(image.pixelColor(W - 10, 3), Arrow);
    EXPECT_EQ(image.pixelColor(W - 11, 9), Arrow);

    image = f.Show("add video files", {w4, 3 * h4}); // bottom-left
    H = image.height();
    EXPECT_EQ(f.Window.ArrowAnchor(), QPoint(3, H - 4));
    EXPECT_EQ(image.pixelColor(3, H - 4), Arrow);
    EXPECT_EQ(image.pixelColor(3, H - 10), Arrow);
    EXPECT_EQ(image.pixelColor(10, H - 10), Arrow);

    image = f.Show("add video files", {3 * w4, 3 * h4}); // bottom-right
    W = image.width();
    H = image.height();
    EXPECT_EQ(f.Window.ArrowAnchor(), QPoint(W - 4, H - 4));
    EXPECT_EQ(image.pixelColor(W - 4, H - 4), Arrow);
    EXPECT_EQ(image.pixelColor(W - 11, H - 10), Arrow);
}

TEST(FlatHintPaint, TextIsDrawnInTheFontColourInsideTheTextArea)
{
    HintForm f;
    const QImage image = f.Show("MMMM", {50, 50});
    int inked = 0;
    for (int x = 15; x < image.width() - 1; ++x)
        for (int y = 1; y < image.height() - 1; ++y)
            inked += image.pixelColor(x, y) != Background;
    EXPECT_GT(inked, 20);
}

TEST(FlatHintSettings, NoComponentNoHint)
{
    TMyFlatHintWindow window;
    {
        HintForm f;
        EXPECT_TRUE(window.ActivateHint({0, 0, 0, 0}, "x", {50, 50}));
    }
    window.hide();
    EXPECT_FALSE(window.ActivateHint({0, 0, 0, 0}, "x", {50, 50}));
    EXPECT_FALSE(window.isVisible());
}

TEST(FlatHintSettings, ChangedPropertiesTakeEffectAtTheNextHint)
{
    HintForm f;
    QImage image = f.Show("x", {50, 50});
    EXPECT_EQ(image.pixelColor(0, 0), Border);
    f.Hint->SetColorBorder(RGB(200, 0, 0));
    f.Hint->SetColorArrowBackground(RGB(0, 200, 0));
    image = f.Show("x", {50, 50});
    EXPECT_EQ(image.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_EQ(image.pixelColor(1, image.height() / 2), QColor(0, 200, 0));
}

TEST(FlatHintPaint, Gallery)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    HintForm f;
    f.Hint->SetColorBackground(clInfoBk);
    f.Hint->SetColorArrowBackground(clInfoBk);
    const int w4 = f.Screen.width() / 4;
    const int h4 = f.Screen.height() / 4;
    const QPoint cursors[] = {{w4, h4}, {3 * w4, h4}, {w4, 3 * h4}, {3 * w4, 3 * h4}};
    const char* names[] = {"top-left", "top-right", "bottom-left", "bottom-right"};
    QImage screen(f.Screen.size(), QImage::Format_RGB32);
    screen.fill(QColor(129, 164, 209));
    QPainter painter(&screen);
    painter.setPen(Qt::white);
    painter.drawLine(f.Screen.width() / 2, 0, f.Screen.width() / 2, f.Screen.height());
    painter.drawLine(0, f.Screen.height() / 2, f.Screen.width(), f.Screen.height() / 2);
    for (int i = 0; i < 4; ++i) {
        const QImage image = f.Show(i == 3 ? "load list from a disk file, with a text long enough to wrap" : names[i],
                                    cursors[i]);
        FlatGallery::Save(QString("flathint-%1.png").arg(names[i]), image);
        painter.drawImage(f.Window.pos(), image);
        painter.fillRect(QRect(cursors[i] - QPoint(1, 1), QSize(3, 3)), Qt::red);
    }
    painter.end();
    FlatGallery::Save("flathint-screen.png", screen);
}
