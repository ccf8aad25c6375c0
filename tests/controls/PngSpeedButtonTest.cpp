#include "controls/PngSpeedButton.h"

#include "Pixels.h"
#include "toolkit/PngImageList.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor Red(255, 0, 0);

// A shown 24 × 24 flat button with a 16 × 16 red glyph, as the dialogs' folder button.
struct Fixture {
    QWidget Window;
    TPngSpeedButton* Button;

    Fixture()
    {
        Window.resize(60, 40);
        Button = new TPngSpeedButton(&Window);
        Button->setGeometry(10, 10, 24, 24);
        Button->SetFlat(true);
        Button->SetPngImage(SolidImage(16, 16, Red));
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }

    QImage Look() { return Shot(*Button); }
};

// The bounding box of the pixels of one colour.
QRect Box(const QImage& image, QColor color)
{
    const auto [left, right] = InkColumns(image, color);
    const auto [top, bottom] = InkRows(image, color);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

TEST(PngSpeedButtonLook, GlyphIsCentredAndMovesOnePixelWhilePressed)
{
    Fixture f;
    EXPECT_EQ(Box(f.Look(), Red), QRect(4, 4, 16, 16));
    EXPECT_EQ(CountPixels(f.Look(), Red), 256);
    QTest::mousePress(f.Button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(Box(f.Look(), Red), QRect(5, 5, 16, 16));
    QTest::mouseRelease(f.Button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(Box(f.Look(), Red), QRect(4, 4, 16, 16));
    f.Button->SetDown(true);
    EXPECT_EQ(Box(f.Look(), Red), QRect(5, 5, 16, 16));
}

TEST(PngSpeedButtonLook, OddSpaceGoesBelowNotAbove)
{
    Fixture f;
    f.Button->resize(25, 25);
    // x = (25 − 16) / 2 = 4, y = (25 − 16 + 1) / 2 = 5
    EXPECT_EQ(Box(f.Look(), Red), QRect(4, 5, 16, 16));
}

TEST(PngSpeedButtonLook, DisabledGlyphFollowsTheOptions)
{
    Fixture f;
    f.Button->setEnabled(false);
    const QColor blended = f.Look().pixelColor(12, 12);
    EXPECT_NE(blended, Red);
    EXPECT_NEAR(blended.alphaF(), 1.0, 0.01);
    const QColor face = f.Look().pixelColor(1, 12);
    EXPECT_NEAR(blended.red(), (255 + face.red()) / 2, 2);
    EXPECT_NEAR(blended.green(), face.green() / 2, 2);

    f.Button->SetPngOptions(PngOptionBit(pngGrayscaleOnDisabled));
    EXPECT_EQ(f.Look().pixelColor(12, 12), QColor(76, 76, 76)); // 0.30 × 255 = 76.5, halves to even

    f.Button->SetPngOptions(0);
    EXPECT_EQ(CountPixels(f.Look(), Red), 256);

    f.Button->setEnabled(true);
    f.Button->SetPngOptions(PngOptionBit(pngBlendOnDisabled) | PngOptionBit(pngGrayscaleOnDisabled));
    EXPECT_EQ(CountPixels(f.Look(), Red), 256);
}

TEST(PngSpeedButtonLook, EmptyImageDrawsJustTheButton)
{
    Fixture f;
    f.Button->SetPngImage(QImage());
    EXPECT_EQ(CountPixels(f.Look(), Red), 0);
}

TEST(PngSpeedButtonLook, CaptionAndGlyphShareTheSpaceByLayout)
{
    Fixture f;
    f.Button->resize(90, 24);
    f.Button->setFont(CrispFont(12));
    QPalette palette = f.Button->palette();
    palette.setColor(QPalette::ButtonText, Qt::blue);
    f.Button->setPalette(palette);
    f.Button->SetCaption("Folder");
    const QRect glyphLeft = Box(f.Look(), Red);
    const auto textLeft = InkColumns(f.Look(), Qt::blue);
    EXPECT_LT(glyphLeft.right(), textLeft.first);
    // Glyph, spacing and text centred as one block.
    EXPECT_NEAR(glyphLeft.left(), 89 - textLeft.second, 3);

    f.Button->SetLayout(blGlyphRight);
    const QRect glyphRight = Box(f.Look(), Red);
    const auto textRight = InkColumns(f.Look(), Qt::blue);
    EXPECT_GT(glyphRight.left(), textRight.second);
    EXPECT_NEAR(textRight.first, 89 - glyphRight.right(), 3);

    f.Button->SetLayout(blGlyphTop);
    f.Button->resize(60, 50);
    const QRect glyphTop = Box(f.Look(), Red);
    EXPECT_LT(glyphTop.bottom(), InkRows(f.Look(), Qt::blue).first);
}

TEST(PngSpeedButtonActions, OwnImageWinsOverLaterActionImages)
{
    TPngImageList images(16, 16);
    images.Add(SolidImage(16, 16, Qt::green));
    images.Add(SolidImage(16, 16, Qt::blue));
    Fixture f;
    f.Button->ActionChange(&images, 0);
    EXPECT_EQ(CountPixels(f.Look(), Red), 256); // it has its own image
    f.Button->SetPngImage(QImage());
    f.Button->ActionChange(&images, 0);
    EXPECT_TRUE(f.Button->ImageFromAction());
    EXPECT_EQ(CountPixels(f.Look(), QColor(Qt::green)), 256);
    f.Button->ActionChange(&images, 1);
    EXPECT_EQ(CountPixels(f.Look(), QColor(Qt::blue)), 256);
    f.Button->ActionChange(&images, 2); // outside the list: kept
    EXPECT_EQ(CountPixels(f.Look(), QColor(Qt::blue)), 256);

    f.Button->SetPngImage(SolidImage(16, 16, Red));
    EXPECT_FALSE(f.Button->ImageFromAction());
    f.Button->ActionChange(&images, 0);
    EXPECT_EQ(CountPixels(f.Look(), Red), 256);
}

TEST(PngSpeedButtonClicks, ClickRaisesOnClick)
{
    Fixture f;
    int clicks = 0;
    f.Button->OnClick = [&](TPngSpeedButton* sender) {
        EXPECT_EQ(sender, f.Button);
        ++clicks;
    };
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(clicks, 1);
    f.Button->setEnabled(false);
    QTest::mouseClick(f.Button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(clicks, 1);
}
