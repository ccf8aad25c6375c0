#include "controls/imagebutton.h"

#include "Pixels.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor Backdrop(129, 164, 209);
const QColor Normal(200, 0, 0);
const QColor Over(0, 200, 0);
const QColor Down(0, 0, 200);
const QColor Disabled(90, 90, 90);

// A 40 × 30 face in one colour whose right quarter (x ≥ 30) is fully transparent.
QImage Face(QColor color)
{
    QImage image = SolidImage(40, 30, color);
    for (int y = 0; y < 30; ++y)
        for (int x = 30; x < 40; ++x)
            image.setPixelColor(x, y, Qt::transparent);
    return image;
}

// A shown window in the main window's blue with a 60 × 50 button at (10, 10), larger than its faces.
struct Fixture {
    QWidget Window;
    TImageButton* Button;
    int Clicks = 0;

    explicit Fixture(bool useDown = false)
    {
        Window.resize(100, 80);
        Window.setAutoFillBackground(true);
        QPalette palette = Window.palette();
        palette.setColor(QPalette::Window, Backdrop);
        Window.setPalette(palette);
        Button = new TImageButton(&Window);
        Button->setGeometry(10, 10, 60, 50);
        Button->SetImage(Face(Normal));
        Button->SetImageOver(Face(Over));
        Button->SetImageDown(Face(Down));
        Button->SetImageDisable(Face(Disabled));
        Button->SetUseDown(useDown);
        Button->OnClick = [this](TImageButton* sender) {
            EXPECT_EQ(sender, Button);
            ++Clicks;
        };
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }

    // The colour at a point of the button, as the window shows it.
    QColor At(int x, int y) { return Shot(Window).pixelColor(10 + x, 10 + y); }
};

} // namespace

TEST(ImageButtonLook, TransparentPartsShowTheParent)
{
    Fixture f;
    EXPECT_EQ(f.At(5, 5), Normal);
    EXPECT_EQ(f.At(35, 5), Backdrop); // transparent part of the face
    EXPECT_EQ(f.At(50, 40), Backdrop); // the button beyond its face
}

TEST(ImageButtonLook, HoverPressAndDisableFollowTheirPriority)
{
    Fixture f;
    QTest::mouseMove(f.Button, QPoint(5, 5));
    QTRY_COMPARE(f.At(5, 5), Over);
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.At(5, 5), Down);
    f.Button->SetEnabled(false);
    EXPECT_EQ(f.At(5, 5), Disabled);
    f.Button->SetEnabled(true);
    EXPECT_EQ(f.At(5, 5), Down);
    QTest::mouseRelease(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.At(5, 5), Over);
    QTest::mouseMove(&f.Window, QPoint(90, 75));
    QTRY_COMPARE(f.At(5, 5), Normal);
}

TEST(ImageButtonLook, EmptyOverFaceLooksNormal)
{
    Fixture f;
    f.Button->SetImageOver(QImage());
    QTest::mouseMove(f.Button, QPoint(5, 5));
    QTRY_VERIFY(f.Button->underMouse());
    EXPECT_EQ(f.At(5, 5), Normal);
}

TEST(ImageButtonLook, UseDownShiftsThePressedFaceTwoPixels)
{
    Fixture f(true);
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(f.At(1, 1), Backdrop);
    EXPECT_EQ(f.At(2, 2), Down);
    EXPECT_EQ(f.At(31, 10), Down); // the face's opaque part now ends at x = 31
    EXPECT_EQ(f.At(32, 10), Backdrop);

    Fixture flat(false);
    QTest::mousePress(flat.Button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(flat.At(0, 0), Down);
    EXPECT_EQ(flat.At(30, 10), Backdrop);
}

TEST(ImageButtonClicks, LeftReleaseInsideClicksOnceOtherButtonsNever)
{
    Fixture f;
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.Clicks, 1);
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(f.Button, button, {}, QPoint(5, 5));
        EXPECT_EQ(f.At(5, 5), Down);
        QTest::mouseRelease(f.Button, button, {}, QPoint(5, 5));
    }
    EXPECT_EQ(f.Clicks, 1);
}

TEST(ImageButtonClicks, TheFaceIsTheHitAreaNotTheControl)
{
    Fixture f;
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(50, 40)); // inside the control, outside the face
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(40, 5)); // one past the face's right edge
    EXPECT_EQ(f.Clicks, 0);
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(39, 29)); // its last pixel, though transparent
    EXPECT_EQ(f.Clicks, 1);

    Fixture shifted(true);
    QTest::mouseClick(shifted.Button, Qt::LeftButton, {}, QPoint(1, 1)); // pressed face starts at (2, 2)
    EXPECT_EQ(shifted.Clicks, 0);
    QTest::mouseClick(shifted.Button, Qt::LeftButton, {}, QPoint(41, 31));
    EXPECT_EQ(shifted.Clicks, 1);
}

TEST(ImageButtonClicks, DraggingOutEndsThePressedLookThenTheOverLookButReleaseInsideStillClicks)
{
    Fixture f;
    QTest::mouseMove(f.Button, QPoint(5, 5));
    QTRY_COMPARE(f.At(5, 5), Over);
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.At(5, 5), Down);
    QTest::mouseMove(f.Button, QPoint(50, 40)); // off the face, still on the control
    QTRY_COMPARE(f.At(5, 5), Over);
    QTest::mouseMove(f.Button, QPoint(75, 60)); // off the control while the button holds the mouse
    QTRY_COMPARE(f.At(5, 5), Normal);
    QTest::mouseMove(f.Button, QPoint(6, 6)); // back in: hovered again, the pressed look does not return
    QTRY_COMPARE(f.At(5, 5), Over);
    QTest::mouseRelease(f.Button, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(f.Clicks, 1);
    EXPECT_EQ(f.At(5, 5), Over);
}

TEST(ImageButtonClicks, DisabledButtonTakesThePressButNeverClicks)
{
    Fixture f;
    f.Button->SetEnabled(false);
    EXPECT_EQ(f.At(5, 5), Disabled);
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.At(5, 5), Disabled);
    QTest::mouseRelease(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.Clicks, 0);
    f.Button->SetEnabled(true);
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.Clicks, 1);
}

TEST(ImageButtonCaption, ForwardedEventsHoverPressAndClick)
{
    Fixture f;
    f.Button->ForwardMouseEnter();
    EXPECT_EQ(f.At(5, 5), Over);
    f.Button->ForwardMouseDown();
    EXPECT_EQ(f.At(5, 5), Down);
    f.Button->ForwardMouseUp();
    EXPECT_EQ(f.Clicks, 1);
    EXPECT_EQ(f.At(5, 5), Over);
    f.Button->ForwardMouseLeave();
    EXPECT_EQ(f.At(5, 5), Normal);

    f.Button->SetEnabled(false);
    f.Button->ForwardMouseDown();
    f.Button->ForwardMouseUp();
    EXPECT_EQ(f.Clicks, 1);
}
