#include "controls/menuDraw.h"
#include "tests/controls/FlatGallery.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool Near(const QColor& actual, const QColor& expected, int tolerance = 3)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

// The file list's popup menu, owner-drawn.
struct ListMenu {
    QMenu Menu;
    QAction* Delete;
    QAction* Clear;
    QAction* N1;
    QAction* Properties;
    TMenuDraw Draw;

    ListMenu()
    {
        Delete = Menu.addAction("&Delete");
        Delete->setStatusTip("delete selected item");
        Clear = Menu.addAction("&Clear");
        Clear->setStatusTip("clear all items");
        N1 = Menu.addSeparator();
        Properties = Menu.addAction("&Properties");
        Properties->setStatusTip("show properties");
        Draw.SetMenu(&Menu);
    }

    void Popup()
    {
        Menu.popup(QPoint(40, 40));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Menu));
    }

    QImage Shot(QAction* active = nullptr)
    {
        Menu.setActiveAction(active);
        return Menu.grab().toImage();
    }

    QRect Rect(QAction* item) { return Menu.actionGeometry(item); }

    static int CaptionHeight() { return QFontMetrics(TMenuDraw::ItemFont(true)).lineSpacing(); }
    static int HintHeight() { return QFontMetrics(TMenuDraw::ItemFont(false)).lineSpacing(); }
};

} // namespace

TEST(MenuDrawMeasure, ItemsAreCaptionPlusHintPlus8High)
{
    ListMenu m;
    m.Popup();
    for (QAction* item : {m.Delete, m.Clear, m.Properties})
        EXPECT_EQ(m.Rect(item).height(), ListMenu::CaptionHeight() + ListMenu::HintHeight() + 8);
    EXPECT_EQ(m.Rect(m.N1).height(), ListMenu::CaptionHeight() + 8);
    EXPECT_EQ(m.Rect(m.Delete).top(), 0);
    EXPECT_EQ(m.Rect(m.Delete).left(), 0);
}

TEST(MenuDrawMeasure, WidthIsTheWiderLinePlus8)
{
    ListMenu m;
    m.Popup();
    const QFontMetrics normal(TMenuDraw::ItemFont(false));
    const int hint = normal.boundingRect(QRect(), Qt::TextShowMnemonic, "delete selected item").width();
    int width = 0, height = 0;
    m.Draw.MeasureItem(m.Delete, width, height);
    EXPECT_EQ(width, hint + 8);
    EXPECT_EQ(m.Rect(m.Delete).width(), hint + 8); // the widest item sets the menu's width

    m.Clear->setShortcut(QKeySequence("Ctrl+L"));
    m.Clear->setStatusTip(QString());
    const QFontMetrics bold(TMenuDraw::ItemFont(true));
    m.Draw.MeasureItem(m.Clear, width, height);
    EXPECT_EQ(width, bold.boundingRect(QRect(), Qt::TextShowMnemonic, "&Clear").width() +
                         bold.boundingRect(QRect(), 0, "Ctrl+L").width() + 8 + 8);
    EXPECT_EQ(height, ListMenu::CaptionHeight() + 8);
}

TEST(MenuDrawPaint, ItemsSitOnThePaleBackground)
{
    ListMenu m;
    m.Popup();
    const QImage image = m.Shot();
    const QRect r = m.Rect(m.Clear);
    EXPECT_EQ(image.pixelColor(r.right() - 1, r.top()), QColor(250, 250, 250));
    EXPECT_EQ(image.pixelColor(r.right() - 1, r.bottom()), QColor(250, 250, 250));
    bool inked = false;
    for (int x = r.left() + 4; x < r.left() + 30; ++x)
        inked |= image.pixelColor(x, r.top() + 8) == QColor(0, 21, 110);
    EXPECT_TRUE(inked);
}

TEST(MenuDrawPaint, HighlightIsSplitAtTheCaptionLine)
{
    ListMenu m;
    m.Popup();
    const QImage image = m.Shot(m.Delete);
    const QRect r = m.Rect(m.Delete);
    const int x = r.right() - 3;
    const int split = r.top() + ListMenu::CaptionHeight() + 4;
    EXPECT_EQ(image.pixelColor(x, r.top()), QColor(197, 197, 197));    // the rounded outline
    EXPECT_EQ(image.pixelColor(r.right(), r.center().y()), QColor(197, 197, 197));
    EXPECT_TRUE(Near(image.pixelColor(x, r.top() + 1), QColor(228, 232, 239), 6));
    EXPECT_TRUE(Near(image.pixelColor(x, split - 1), QColor(184, 197, 222)));
    EXPECT_TRUE(Near(image.pixelColor(x, split), QColor(171, 186, 216)));
    EXPECT_TRUE(Near(image.pixelColor(x, r.bottom() - 1), QColor(228, 232, 239), 6));
    // The corner is cut by the rounding: neither gradient nor the plain background's neighbour outline.
    EXPECT_NE(image.pixelColor(r.left(), r.top()), QColor(197, 197, 197));
    // Other items stay plain.
    EXPECT_EQ(image.pixelColor(x, m.Rect(m.Clear).center().y()), QColor(250, 250, 250));
}

TEST(MenuDrawPaint, ItemWithoutHintGetsOneGradient)
{
    ListMenu m;
    m.Clear->setStatusTip(QString());
    m.Popup();
    const QImage image = m.Shot(m.Clear);
    const QRect r = m.Rect(m.Clear);
    EXPECT_EQ(r.height(), ListMenu::CaptionHeight() + 8);
    EXPECT_TRUE(Near(image.pixelColor(r.right() - 3, r.top() + 1), QColor(228, 232, 239), 8));
    EXPECT_TRUE(Near(image.pixelColor(r.right() - 3, r.bottom() - 1), QColor(184, 197, 222), 8));
}

TEST(MenuDrawPaint, DisabledItemIsPaleAndStillHighlighted)
{
    ListMenu m;
    m.Properties->setEnabled(false);
    m.Popup();
    const QImage image = m.Shot(m.Properties);
    const QRect r = m.Rect(m.Properties);
    int pale = 0, dark = 0;
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y) {
            pale += image.pixelColor(x, y) == QColor(216, 197, 222);
            dark += image.pixelColor(x, y) == QColor(0, 21, 110);
        }
    EXPECT_GT(pale, 10);
    EXPECT_EQ(dark, 0);
    EXPECT_EQ(image.pixelColor(r.right() - 3, r.top()), QColor(197, 197, 197));
}

TEST(MenuDrawPaint, SeparatorHasItsTwoToneLineAtTheBottom)
{
    ListMenu m;
    m.Popup();
    const QImage image = m.Shot();
    const QRect r = m.Rect(m.N1);
    for (int x : {r.left(), r.center().x(), r.right()}) {
        EXPECT_EQ(image.pixelColor(x, r.top()), QColor(221, 231, 238));
        EXPECT_EQ(image.pixelColor(x, r.bottom() - 1), QColor(197, 197, 197));
        EXPECT_EQ(image.pixelColor(x, r.bottom()), QColor(250, 250, 250));
    }
}

TEST(MenuDrawPaint, ImagesBringTheImageColumn)
{
    ListMenu m;
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    m.Delete->setIcon(QIcon(icon));
    m.Popup();
    const QImage image = m.Shot();
    const QRect del = m.Rect(m.Delete);
    const QRect clear = m.Rect(m.Clear);
    const QRect sep = m.Rect(m.N1);
    EXPECT_EQ(image.pixelColor(26, clear.center().y()), QColor(197, 197, 197));
    EXPECT_EQ(image.pixelColor(2, clear.top()), QColor(233, 238, 238));
    EXPECT_EQ(image.pixelColor(2, sep.top()), QColor(233, 238, 238));
    EXPECT_EQ(image.pixelColor(del.left() + 10, del.top() + 8), QColor(255, 0, 0));
    int width = 0, height = 0;
    m.Draw.MeasureItem(m.Clear, width, height);
    EXPECT_EQ(m.Rect(m.Clear).width(), std::max(width, m.Rect(m.Clear).width()));
    EXPECT_GE(width, 26 + 8);
}

TEST(MenuDrawBehaviour, SubMenusAndClickHandlersAreLeftAlone)
{
    ListMenu m;
    QMenu* sub = m.Menu.addMenu("More");
    QAction* inner = sub->addAction("Inner");
    inner->setStatusTip("a hint that would make a second line");
    QSignalSpy triggered(m.Delete, &QAction::triggered);
    m.Popup();
    EXPECT_NE(sub->style(), m.Menu.style());
    sub->popup(QPoint(300, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sub));
    EXPECT_NE(sub->actionGeometry(inner).height(), ListMenu::CaptionHeight() + ListMenu::HintHeight() + 8);
    sub->hide();
    QTest::mouseClick(&m.Menu, Qt::LeftButton, {}, m.Rect(m.Delete).center());
    EXPECT_EQ(triggered.count(), 1);
}

TEST(MenuDrawBehaviour, FreeingTheDrawingGivesTheMenuItsOwnLookBack)
{
    QMenu menu;
    QAction* item = menu.addAction("&Delete");
    item->setStatusTip("delete selected item");
    {
        TMenuDraw draw;
        draw.SetMenu(&menu);
        EXPECT_EQ(draw.Menu(), &menu);
        EXPECT_NE(menu.style(), QApplication::style());
    }
    EXPECT_EQ(menu.style(), QApplication::style());
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    EXPECT_FALSE(menu.grab().isNull());
}

TEST(MenuDrawGradient, BandsRoundHalvesToEvenAndEndOnTheEndColour)
{
    QImage image(4, 256, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TMenuDraw::GradientFill(painter, {0, 0, 4, 256}, 256, RGB(0, 10, 200), RGB(128, 10, 100));
    }
    // Red steps by 0.5: 0.5 -> 0, 1.0 -> 1, 1.5 -> 2, 2.5 -> 2; the first band is already one step on.
    EXPECT_EQ(image.pixelColor(0, 0).red(), 0);
    EXPECT_EQ(image.pixelColor(0, 1).red(), 1);
    EXPECT_EQ(image.pixelColor(0, 2).red(), 2);
    EXPECT_EQ(image.pixelColor(0, 4).red(), 2);
    EXPECT_EQ(image.pixelColor(3, 0).blue(), 200);
    EXPECT_EQ(image.pixelColor(3, 255), QColor(128, 10, 100));
    EXPECT_EQ(image.pixelColor(3, 254).blue(), 100); // 200 - 255 × 100 / 256 = 100.4
}

TEST(MenuDrawGradient, ShortRectanglesAndNoStepsStayInsideTheRectangle)
{
    QImage image(10, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TMenuDraw::GradientFill(painter, {2, 3, 8, 9}, 256, RGB(0, 0, 0), RGB(255, 255, 255));
        TMenuDraw::GradientFill(painter, {0, 10, 10, 12}, 0, RGB(0, 0, 0), RGB(0, 0, 0));
    }
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(8, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(5, 9), QColor(Qt::white));
    EXPECT_LT(image.pixelColor(5, 3).red(), image.pixelColor(5, 8).red());
    EXPECT_EQ(image.pixelColor(5, 11), QColor(Qt::white));
}

TEST(MenuDrawPaint, Gallery)
{
    if (!FlatGallery::Enabled())
        GTEST_SKIP() << "no gallery folder named";
    ListMenu m;
    m.Popup();
    FlatGallery::Save("menu-highlight-delete.png", FlatGallery::Zoom(m.Shot(m.Delete)));
    m.Properties->setEnabled(false);
    FlatGallery::Save("menu-highlight-disabled.png", FlatGallery::Zoom(m.Shot(m.Properties)));
}
