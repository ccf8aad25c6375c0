#include "Pixels.h"
#include "controls/LinePanelUnit.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor Fill(191, 219, 255);
const QColor Line(141, 178, 227);
const QColor Ink(21, 66, 139);

std::unique_ptr<TLinePanel> Panel(TLineBorders borders, const QString& caption = QString())
{
    auto panel = std::make_unique<TLinePanel>();
    panel->resize(60, 30);
    panel->SetColor(RGB(191, 219, 255));
    panel->SetLineColor(RGB(141, 178, 227));
    panel->SetLineBorders(borders);
    panel->setFont(CrispFont(13, true));
    panel->SetFontColor(RGB(21, 66, 139));
    panel->SetCaption(caption);
    return panel;
}

} // namespace

TEST(LinePanelLook, NoBordersDrawsOnlyTheColour)
{
    const auto panel = Panel(0);
    const QImage image = Shot(*panel);
    EXPECT_EQ(CountPixels(image, Fill), 60 * 30);
}

TEST(LinePanelLook, EachSideDrawsOneFullLine)
{
    struct Case {
        TLineBorder Side;
        QRect Line;
    };
    const Case cases[] = {
        {lbTop, QRect(0, 0, 60, 1)},
        {lbLeft, QRect(0, 0, 1, 30)},
        {lbRight, QRect(59, 0, 1, 30)},
        {lbBottom, QRect(0, 29, 60, 1)},
    };
    for (const Case& c : cases) {
        const auto panel = Panel(LineBorderBit(c.Side));
        const QImage image = Shot(*panel);
        EXPECT_EQ(CountPixels(image, c.Line, Line), c.Line.width() * c.Line.height()) << c.Side;
        EXPECT_EQ(CountPixels(image, Line), c.Line.width() * c.Line.height()) << c.Side;
    }
    const auto all
        = Panel(LineBorderBit(lbTop) | LineBorderBit(lbLeft) | LineBorderBit(lbRight) | LineBorderBit(lbBottom));
    EXPECT_EQ(CountPixels(Shot(*all), Line), 2 * 60 + 2 * 28);
}

TEST(LinePanelLook, CaptionFollowsTheAlignment)
{
    const auto panel = Panel(0, "List");
    panel->SetAlignment(taLeftJustify);
    const auto left = InkColumns(Shot(*panel), Ink);
    EXPECT_LE(left.first, 2);
    panel->SetAlignment(taRightJustify);
    const auto right = InkColumns(Shot(*panel), Ink);
    EXPECT_GE(right.second, 56);
    panel->SetAlignment(taCenter);
    const auto centre = InkColumns(Shot(*panel), Ink);
    EXPECT_NEAR(centre.first, 59 - centre.second, 2);
    const auto rows = InkRows(Shot(*panel), Ink);
    EXPECT_NEAR(rows.first, 29 - rows.second, 3);
}

TEST(LinePanelLook, DisabledCaptionIsEngravedAndComesBackWhenEnabled)
{
    const auto panel = Panel(0, "List");
    panel->setEnabled(false);
    QImage image = Shot(*panel);
    const QColor light = QApplication::palette().color(QPalette::Light).rgb();
    const QColor dark = QApplication::palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(CountPixels(image, Ink), 0);
    EXPECT_GT(CountPixels(image, dark), 10);
    // The light copy lies one pixel right and down of the dark one.
    const auto darkColumns = InkColumns(image, dark);
    const auto lightColumns = InkColumns(image, light);
    EXPECT_EQ(lightColumns.second, darkColumns.second + 1);
    panel->setEnabled(true);
    image = Shot(*panel);
    EXPECT_GT(CountPixels(image, Ink), 10);
    EXPECT_EQ(CountPixels(image, dark), 0);
}

TEST(LinePanelLook, ChildrenDrawOverThePanel)
{
    const auto panel = Panel(LineBorderBit(lbTop));
    auto* child = new QWidget(panel.get());
    child->setGeometry(10, 10, 20, 10);
    child->setAutoFillBackground(true);
    QPalette palette = child->palette();
    palette.setColor(QPalette::Window, Qt::red);
    child->setPalette(palette);
    const QImage image = Shot(*panel);
    EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(5, 15), Fill);
}

TEST(LinePanelLook, ParentColorTakesTheParentsBackground)
{
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(129, 164, 209));
    parent.setPalette(palette);
    auto* panel = new TLinePanel(&parent);
    EXPECT_TRUE(panel->ParentColor());
    EXPECT_EQ(Shot(*panel).pixelColor(10, 10), QColor(129, 164, 209));
    panel->SetColor(RGB(191, 219, 255));
    EXPECT_FALSE(panel->ParentColor());
    EXPECT_EQ(Shot(*panel).pixelColor(10, 10), Fill);
}
