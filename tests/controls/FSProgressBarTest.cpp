#include "controls/FSProgressBar.h"

#include "Pixels.h"

#include <gtest/gtest.h>

namespace {

const QColor Border(141, 178, 227);
// Track rows of a 17-pixel bar: BackColorFace (255,236,198) to white over 15 steps.
const QColor TrackRow1(255, 237, 202);
const QColor TrackRow8(255, 246, 228);
const QColor TrackRow15(255, 255, 255);
// Fill rows of a 17-pixel bar: ForeColorFace (255,222,155) to (183,123,0) over 17 steps.
const QColor FillRow1(251, 216, 146);
const QColor FillRow8(221, 175, 82);
const QColor FillRow15(191, 135, 18);

// The bar under the main window's file list.
void MainWindowBar(TFSProgressBar& bar)
{
    bar.resize(828, 17);
    bar.SetColorScheme(csCustom);
    bar.SetColorBorder(RGB(141, 178, 227));
    bar.SetBackColorFace(RGB(255, 236, 198));
    bar.SetBackColorGrad(RGB(255, 255, 255));
    bar.SetForeColorFace(RGB(255, 222, 155));
    bar.SetForeColorGrad(RGB(183, 123, 0));
    bar.SetMin(0);
    bar.SetMax(100);
}

// The columns of the middle row that are not track: the visible fill including its closing edge.
int FillWidth(const QImage& image)
{
    int width = 0;
    for (int x = 1; x < image.width() - 1; ++x)
        if (image.pixelColor(x, 8) != TrackRow8)
            ++width;
    return width;
}

} // namespace

TEST(FSProgressBarDrawing, HalfwayOnTheMainWindowBarFills413Pixels)
{
    TFSProgressBar bar;
    MainWindowBar(bar);
    bar.SetPosition(50);
    const QImage image = Shot(bar);
    EXPECT_EQ(FillWidth(image), 413);
    EXPECT_EQ(image.pixelColor(412, 8), FillRow8);
    // The closing edge at column f takes the fill's colour near the bottom, over the whole height.
    EXPECT_EQ(image.pixelColor(413, 2), FillRow15);
    EXPECT_EQ(image.pixelColor(413, 15), FillRow15);
    EXPECT_EQ(image.pixelColor(414, 8), TrackRow8);
}

TEST(FSProgressBarDrawing, GradientRowsRunFromFaceToGradInsideTheBorder)
{
    TFSProgressBar bar;
    MainWindowBar(bar);
    bar.SetPosition(50);
    const QImage image = Shot(bar);
    for (int x : {0, 300, 827})
        for (int y : {0, 16})
            EXPECT_EQ(image.pixelColor(x, y), Border) << x << "," << y;
    EXPECT_EQ(image.pixelColor(0, 8), Border);
    EXPECT_EQ(image.pixelColor(827, 8), Border);
    EXPECT_EQ(image.pixelColor(600, 1), TrackRow1);
    EXPECT_EQ(image.pixelColor(600, 15), TrackRow15);
    EXPECT_EQ(image.pixelColor(200, 1), FillRow1);
    EXPECT_EQ(image.pixelColor(200, 15), FillRow15);
    // The left edge column repeats the colour at (1, 1) all the way down.
    EXPECT_EQ(image.pixelColor(1, 15), FillRow1);
}

TEST(FSProgressBarDrawing, PositionAtMinDrawsNoFillAndAtMaxFillsTheTrack)
{
    TFSProgressBar bar;
    MainWindowBar(bar);
    bar.SetPosition(0);
    QImage image = Shot(bar);
    EXPECT_EQ(FillWidth(image), 1); // only the left edge column, in the track's first row colour
    EXPECT_EQ(image.pixelColor(1, 8), TrackRow1);
    EXPECT_EQ(image.pixelColor(2, 8), TrackRow8);

    bar.SetPosition(100);
    image = Shot(bar);
    EXPECT_EQ(FillWidth(image), 826);
    EXPECT_EQ(image.pixelColor(825, 8), FillRow8);
    EXPECT_EQ(image.pixelColor(826, 8), FillRow15);
    EXPECT_EQ(image.pixelColor(827, 8), Border);
}

TEST(FSProgressBarValues, PositionPastMaxIsKeptAndClippedBelowMinIsIgnored)
{
    TFSProgressBar bar;
    MainWindowBar(bar);
    bar.SetPosition(250);
    EXPECT_EQ(bar.Position(), 250);
    const QImage image = Shot(bar);
    EXPECT_EQ(image.pixelColor(826, 8), FillRow8);
    EXPECT_EQ(image.pixelColor(827, 8), Border);

    bar.SetPosition(40);
    bar.SetPosition(-1);
    EXPECT_EQ(bar.Position(), 40);
    EXPECT_EQ(FillWidth(Shot(bar)), 330); // 826 × 40 / 100 = 330.4
}

TEST(FSProgressBarValues, RangeSettersRefuseCrossingEachOther)
{
    TFSProgressBar bar;
    bar.SetMin(101);
    EXPECT_EQ(bar.Min(), 0);
    bar.SetMax(-5);
    EXPECT_EQ(bar.Max(), 100);
    bar.SetMax(100);
    bar.SetMin(100);
    EXPECT_EQ(bar.Min(), 100);
    bar.SetPosition(99);
    EXPECT_EQ(bar.Position(), 0); // below the new minimum: refused
}

TEST(FSProgressBarValues, FillWidthRoundsHalvesToEven)
{
    TFSProgressBar bar;
    MainWindowBar(bar);
    bar.resize(7, 17); // 5 track pixels: positions 50 and 70 of 100 give 2.5 and 3.5
    bar.SetPosition(50);
    EXPECT_EQ(FillWidth(Shot(bar)), 2); // f = 2: columns 1 and 2
    bar.SetPosition(70);
    EXPECT_EQ(FillWidth(Shot(bar)), 4); // f = 4
}

TEST(FSProgressBarDrawing, ZeroRangeAndTinyBarsDrawWithoutAFill)
{
    TFSProgressBar bar;
    MainWindowBar(bar);
    bar.SetMax(0);
    bar.SetPosition(0);
    EXPECT_EQ(FillWidth(Shot(bar)), 1);
    for (QSize size : {QSize(50, 2), QSize(50, 1), QSize(2, 50), QSize(1, 1)}) {
        for (TProgressBarOrientation orientation : {pbHorizontal, pbVertical}) {
            bar.SetOrientation(orientation);
            bar.resize(size);
            const QImage image = Shot(bar);
            EXPECT_EQ(image.size(), size);
            EXPECT_EQ(image.pixelColor(0, 0), Border);
        }
    }
}

TEST(FSProgressBarDrawing, VerticalBarFillsFromTheBottom)
{
    TFSProgressBar bar; // desert: the same track and fill colours as the main window's bar
    bar.SetOrientation(pbVertical);
    bar.resize(17, 100);
    bar.SetPosition(50);
    const QImage image = Shot(bar);
    // t = 100 − round(98 × 50 / 100 + 1) = 50; columns shade from left to right.
    EXPECT_EQ(image.pixelColor(8, 49), TrackRow8);
    EXPECT_EQ(image.pixelColor(8, 70), FillRow8);
    EXPECT_EQ(image.pixelColor(8, 50), QColor(196, 140, 27)); // closing edge: fill column 14
    EXPECT_EQ(image.pixelColor(8, 0), QColor(128, 86, 0));
    EXPECT_EQ(image.pixelColor(8, 99), QColor(128, 86, 0));
}

TEST(FSProgressBarSchemes, EachSchemeSetsItsFiveColours)
{
    struct Row {
        TColorScheme Scheme;
        TColor Border, BackFace, BackGrad, ForeFace, ForeGrad;
    };
    const Row table[] = {
        {csDesert, RGB(128, 86, 0), RGB(255, 236, 198), RGB(255, 255, 255), RGB(255, 222, 155), RGB(183, 123, 0)},
        {csGrass, RGB(55, 111, 21), RGB(220, 245, 203), RGB(255, 255, 255), RGB(219, 245, 201), RGB(98, 193, 40)},
        {csSilver, RGB(107, 107, 107), RGB(224, 224, 224), RGB(255, 255, 255), RGB(240, 240, 240), RGB(173, 173, 173)},
        {csSky, RGB(0, 89, 179), RGB(213, 234, 255), RGB(255, 255, 255), RGB(221, 238, 255), RGB(94, 174, 255)},
        {csRose, RGB(157, 0, 0), RGB(255, 215, 215), RGB(255, 255, 255), RGB(255, 232, 232), RGB(255, 128, 128)},
        {csSun, RGB(100, 100, 0), RGB(255, 255, 206), RGB(255, 255, 255), RGB(255, 255, 223), RGB(220, 188, 5)},
        {csHackers, RGB(0, 0, 0), RGB(0, 85, 0), RGB(0, 128, 0), RGB(174, 236, 145), RGB(0, 170, 0)},
        {csNight, RGB(0, 0, 0), RGB(0, 64, 128), RGB(0, 84, 168), RGB(151, 203, 255), RGB(0, 118, 236)},
        {csVelvet, RGB(0, 0, 0), RGB(89, 0, 0), RGB(140, 70, 70), RGB(242, 159, 159), RGB(187, 72, 72)},
        {csMetal, RGB(0, 0, 0), RGB(70, 70, 70), RGB(111, 111, 111), RGB(206, 206, 206), RGB(115, 115, 115)},
        {csViolet, RGB(0, 0, 0), RGB(64, 0, 128), RGB(101, 0, 202), RGB(219, 183, 255), RGB(153, 51, 255)},
        {csToxic, RGB(0, 0, 0), RGB(86, 86, 44), RGB(123, 123, 62), RGB(222, 222, 188), RGB(142, 142, 70)},
    };
    TFSProgressBar bar;
    bar.resize(40, 17);
    for (const Row& row : table) {
        bar.SetColorScheme(row.Scheme);
        EXPECT_EQ(bar.ColorBorder(), row.Border) << row.Scheme;
        EXPECT_EQ(bar.BackColorFace(), row.BackFace) << row.Scheme;
        EXPECT_EQ(bar.BackColorGrad(), row.BackGrad) << row.Scheme;
        EXPECT_EQ(bar.ForeColorFace(), row.ForeFace) << row.Scheme;
        EXPECT_EQ(bar.ForeColorGrad(), row.ForeGrad) << row.Scheme;
        const QImage image = Shot(bar);
        EXPECT_EQ(image.pixelColor(20, 0), ColorToRGB(row.Border)) << row.Scheme;
        EXPECT_EQ(image.pixelColor(20, 15), ColorToRGB(row.BackGrad)) << row.Scheme;
    }
}

TEST(FSProgressBarSchemes, OneColourTurnsTheSchemeCustomAndTheSchemeRestoresAll)
{
    TFSProgressBar bar;
    EXPECT_EQ(bar.ColorScheme(), csDesert);
    bar.SetColorScheme(csGrass);
    bar.SetColorBorder(RGB(1, 2, 3));
    EXPECT_EQ(bar.ColorScheme(), csCustom);
    EXPECT_EQ(bar.ColorBorder(), RGB(1, 2, 3));
    EXPECT_EQ(bar.BackColorFace(), RGB(220, 245, 203));
    EXPECT_EQ(bar.ForeColorGrad(), RGB(98, 193, 40));
    bar.SetColorScheme(csCustom);
    EXPECT_EQ(bar.ColorBorder(), RGB(1, 2, 3));
    bar.SetColorScheme(csGrass);
    EXPECT_EQ(bar.ColorBorder(), RGB(55, 111, 21));
}
