#include "controls/MyButtonEx.h"

#include "Pixels.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor Backdrop(129, 164, 209);
const QColor BorderBlue(158, 191, 219);
const QColor Caption(21, 66, 139);
const QColor Silver(192, 192, 192);

// A shown window with one 121 × 41 button at (10, 10) in the colours every form gives its buttons.
struct Fixture {
    QWidget Window;
    TMyButtonEx* Button;
    int Clicks = 0;

    explicit Fixture(const QString& caption = "&Import")
    {
        Window.resize(150, 70);
        Window.setAutoFillBackground(true);
        QPalette palette = Window.palette();
        palette.setColor(QPalette::Window, Backdrop);
        Window.setPalette(palette);
        Button = new TMyButtonEx(&Window);
        Button->setGeometry(10, 10, 121, 41);
        Button->setFont(CrispFont(12, true));
        Button->SetFontColor(RGB(21, 66, 139));
        Button->SetDefaultColorFrom(RGB(213, 226, 241));
        Button->SetDefaultColorTo(RGB(193, 216, 241));
        Button->SetClickColorFrom(RGB(198, 239, 252));
        Button->SetClickColorTo(RGB(200, 224, 255));
        Button->SetBorderColor(RGB(158, 191, 219));
        Button->SetCaption(caption);
        Button->OnClick = [this](TMyButtonEx* sender) {
            EXPECT_EQ(sender, Button);
            ++Clicks;
        };
        Window.show();
        Window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
    }

    // The button as the window shows it (the rounded corners show the window behind).
    QImage Look() { return Shot(Window).copy(10, 10, 121, 41); }
};

} // namespace

TEST(MyButtonExLook, GradientLeavesAWhiteLineInsideTheTopAndRightBorder)
{
    Fixture f("");
    const QImage image = f.Look();
    EXPECT_EQ(image.pixelColor(60, 0), BorderBlue);
    EXPECT_EQ(image.pixelColor(60, 40), BorderBlue);
    EXPECT_EQ(image.pixelColor(0, 20), BorderBlue);
    EXPECT_EQ(image.pixelColor(120, 20), BorderBlue);
    EXPECT_EQ(image.pixelColor(60, 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(119, 20), QColor(Qt::white));
    // Rows from 2 on: (213,226,241) + ((193,216,241) − (213,226,241)) × y / 41, halves to even.
    EXPECT_EQ(image.pixelColor(60, 2), QColor(212, 226, 241));
    EXPECT_EQ(image.pixelColor(1, 20), QColor(203, 221, 241));
    EXPECT_EQ(image.pixelColor(118, 39), QColor(194, 216, 241));
}

TEST(MyButtonExLook, CornersAreCutAndShowTheWindowBehind)
{
    Fixture f("");
    const QImage image = f.Look();
    for (QPoint corner : {QPoint(0, 0), QPoint(120, 0), QPoint(0, 40), QPoint(120, 40)})
        EXPECT_EQ(image.pixelColor(corner), Backdrop) << corner.x() << "," << corner.y();
    EXPECT_EQ(image.pixelColor(2, 0), BorderBlue);
    EXPECT_EQ(image.pixelColor(0, 2), BorderBlue);
    EXPECT_EQ(image.pixelColor(1, 1), BorderBlue);
}

TEST(MyButtonExLook, EqualColoursFillTheWholeButtonFlat)
{
    Fixture f("");
    f.Button->SetDefaultColorFrom(RGB(200, 100, 50));
    f.Button->SetDefaultColorTo(RGB(200, 100, 50));
    const QImage image = f.Look();
    EXPECT_EQ(image.pixelColor(60, 1), QColor(200, 100, 50));
    EXPECT_EQ(image.pixelColor(119, 20), QColor(200, 100, 50));
}

TEST(MyButtonExLook, PressedUsesClickColoursAndShiftsTheGlyphTwoPixels)
{
    Fixture f("");
    f.Button->SetGlyph(SolidImage(16, 16, Qt::red));
    // x0 = (121 − 16 − 0 − 3) / 2 = 51, y = (41 − 16) / 2 = 12
    QImage image = f.Look();
    EXPECT_EQ(image.pixelColor(51, 12), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(66, 27), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(67, 28), QColor(Qt::red));

    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    image = f.Look();
    EXPECT_NE(image.pixelColor(52, 13), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(53, 14), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(68, 29), QColor(Qt::red));
    // (198,239,252) to (200,224,255) at row 20
    EXPECT_EQ(image.pixelColor(20, 20), QColor(199, 232, 253));
}

TEST(MyButtonExLook, DisabledGlyphIsTranslucentAndCaptionSilver)
{
    Fixture f("Export");
    f.Button->SetGlyph(SolidImage(16, 16, Qt::red));
    EXPECT_GT(CountPixels(f.Look(), Caption), 20);
    f.Button->setEnabled(false);
    const QImage image = f.Look();
    EXPECT_EQ(CountPixels(image, Caption), 0);
    EXPECT_GT(CountPixels(image, Silver), 20);
    // Alpha 255 × 51 / 256 ≈ 51: mostly the gradient with a fifth of red.
    const int glyphX = InkColumns(f.Look(), Silver).first - 3 - 16;
    const QColor blended = image.pixelColor(glyphX + 8, 20);
    EXPECT_NEAR(blended.red(), (203 * 204 + 255 * 51) / 255, 2);
    EXPECT_NEAR(blended.green(), 221 * 204 / 255, 2);
}

TEST(MyButtonExLook, AmpersandUnderlinesTheNextLetterInsteadOfShowing)
{
    Fixture plain("Exit");
    Fixture marked("&Exit");
    const auto plainRows = InkRows(plain.Look(), Caption);
    const auto markedRows = InkRows(marked.Look(), Caption);
    EXPECT_EQ(markedRows.first, plainRows.first);
    EXPECT_GT(markedRows.second, plainRows.second); // the underline below the baseline
    // "&" is not drawn: the ink is as wide as the plain word's (give or take the underline's end).
    const auto plainColumns = InkColumns(plain.Look(), Caption);
    const auto markedColumns = InkColumns(marked.Look(), Caption);
    EXPECT_NEAR(markedColumns.second - markedColumns.first, plainColumns.second - plainColumns.first, 1);
}

TEST(MyButtonExMouse, LeftClickFiresOnceAndRightPressDoesNothing)
{
    Fixture f;
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Clicks, 1);
    EXPECT_TRUE(f.Button->hasFocus());
    QTest::mousePress(f.Button, Qt::RightButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Look().pixelColor(20, 20), QColor(203, 221, 241)); // not pressed
    QTest::mouseRelease(f.Button, Qt::RightButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Clicks, 1);
}

TEST(MyButtonExMouse, RightReleaseAfterLeftPressClicks)
{
    Fixture f;
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    QTest::mouseRelease(f.Button, Qt::RightButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Clicks, 1);
}

TEST(MyButtonExMouse, LeavingWhilePressedPopsUpAndReturningDoesNotRepress)
{
    Fixture f;
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Look().pixelColor(20, 20), QColor(199, 232, 253));
    QTest::mouseMove(f.Button, QPoint(130, 20));
    QTRY_COMPARE(f.Look().pixelColor(20, 20), QColor(203, 221, 241));
    QTest::mouseMove(f.Button, QPoint(60, 20));
    QTest::mouseRelease(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Clicks, 0);
}

TEST(MyButtonExMouse, DisabledButtonIgnoresPresses)
{
    Fixture f;
    f.Button->setEnabled(false);
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Clicks, 0);
    EXPECT_EQ(f.Look().pixelColor(20, 20), QColor(203, 221, 241));
}

TEST(MyButtonExKeys, AltAndTheUnderlinedLetterClick)
{
    Fixture f;
    QTest::keyClick(&f.Window, Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(f.Clicks, 1);
    QTest::keyClick(&f.Window, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(f.Clicks, 1);
    // The keyboard click does not leave the button looking pressed.
    EXPECT_EQ(f.Look().pixelColor(20, 20), QColor(203, 221, 241));
    f.Button->setEnabled(false);
    QTest::keyClick(&f.Window, Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(f.Clicks, 1);
}

TEST(MyButtonExKeys, FocusRectangleOnlyWithDrawFocus)
{
    Fixture f("");
    f.Button->setFocus();
    QTRY_VERIFY(f.Button->hasFocus());
    const QImage without = f.Look();
    f.Button->SetDrawFocus(true);
    const QImage with = f.Look();
    EXPECT_EQ(without.pixelColor(4, 20), QColor(203, 221, 241));
    EXPECT_NE(with.pixelColor(4, 20), without.pixelColor(4, 20));
    EXPECT_NE(with.pixelColor(116, 20), without.pixelColor(116, 20));
    EXPECT_EQ(with.pixelColor(60, 20), without.pixelColor(60, 20));
}

TEST(MyButtonExMouse, DoubleClickCountsAsTwoClicks)
{
    Fixture f;
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    // The second press of a double click arrives as a double-click event; its release clicks again.
    QTest::mouseDClick(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    QTest::mouseRelease(f.Button, Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(f.Clicks, 2);
}
