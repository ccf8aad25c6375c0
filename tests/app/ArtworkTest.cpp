#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

// The windows load their pictures by resource path and place them at fixed positions, so a picture that is
// missing or has another size breaks the layout silently; so does a sharp "@2x" one that is not twice the size.

namespace
{

struct Expected {
    const char* Path;
    int Width;
    int Height;
};

QImage Load(const QString& path)
{
    return QImage(":/images/" + path);
}

} // namespace

TEST(Artwork, EveryPictureIsThereAtTheSizeTheWindowsPlaceIt)
{
    const Expected pictures[] = {
        { "app/splash.jpg", 570, 330 },
        { "app/header.png", 400, 200 },
        { "app/bottom.png", 6, 21 },
        { "app/corner.png", 11, 11 },
        { "app/folder32.png", 32, 32 },
        { "app/folder16.png", 16, 16 },
        { "app/list-normal.png", 66, 29 },
        { "app/list-hover.png", 66, 29 },
        { "app/list-pressed.png", 66, 29 },
        { "list/state-waiting.png", 16, 16 },
        { "list/state-converting.png", 16, 16 },
        { "list/state-done.png", 16, 16 },
        { "list/state-failed.png", 16, 16 },
        { "list/watermark.png", 256, 256 },
    };
    for (const Expected& e : pictures) {
        const QImage image = Load(e.Path);
        EXPECT_FALSE(image.isNull()) << e.Path;
        EXPECT_EQ(image.size(), QSize(e.Width, e.Height)) << e.Path;
        EXPECT_EQ(Load(QString(e.Path).replace(".", "@2x.")).size(), QSize(e.Width, e.Height) * 2) << e.Path;
    }
    for (const char* command : { "add", "convert", "stop", "support" })
        for (const char* face : { "normal", "hover", "pressed", "disabled" }) {
            const QString path = QString("app/%1-%2.png").arg(command, face);
            EXPECT_EQ(Load(path).size(), QSize(112, 101)) << path.toStdString();
            EXPECT_EQ(Load(QString(path).replace(".", "@2x.")).size(), QSize(224, 202)) << path.toStdString();
        }
    for (int size : { 16, 24, 32, 48, 64, 72, 96, 128 }) {
        const QString path = QString("app/icon-%1.png").arg(size);
        EXPECT_EQ(Load(path).size(), QSize(size, size)) << path.toStdString();
    }
}

TEST(Artwork, StateIconsAreRoundWithTransparentCorners)
{
    for (const char* state : { "waiting", "converting", "done", "failed" }) {
        const QImage icon = Load(QString("list/state-%1.png").arg(state));
        ASSERT_TRUE(icon.hasAlphaChannel()) << state;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << state;
        EXPECT_EQ(qAlpha(icon.pixel(15, 15)), 0) << state;
        const QColor centre = icon.pixelColor(8, 8);
        EXPECT_EQ(centre.alpha(), 255) << state;
        EXPECT_GT(centre.green(), 200) << state << ": the symbol in the middle is white";
        // The button's body, left of the symbol: red for a failure, green for every other state, so a failed
        // row stands out from a finished one.
        const QColor body = icon.pixelColor(2, 8);
        if (QString(state) == "failed")
            EXPECT_GT(body.red(), body.green() + 80) << state;
        else
            EXPECT_GT(body.green(), body.red() + 40) << state;
    }
    // And by shape: the cross leaves the column above the middle to the body, where the done arrow is white.
    EXPECT_LT(Load("list/state-failed.png").pixelColor(8, 4).green(), 150);
    EXPECT_GT(Load("list/state-done.png").pixelColor(8, 4).green(), 200);
}

TEST(Artwork, WatermarkIsAnOpaqueFaintPictureOnTheListColour)
{
    const QImage mark = Load("list/watermark.png");
    EXPECT_FALSE(mark.hasAlphaChannel());
    QFile file(":/images/list/watermark.png");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(26);
    EXPECT_EQ(header.at(24), 8) << "8 bits per channel";
    EXPECT_EQ(header.at(25), 2) << "colour type: red, green, blue without alpha";
    const QColor list(233, 234, 238);
    EXPECT_EQ(mark.pixelColor(0, 0), list);
    bool drawn = false;
    for (int y = 0; y < mark.height(); ++y)
        for (int x = 0; x < mark.width(); ++x) {
            const QColor c = mark.pixelColor(x, y);
            drawn = drawn || c != list;
            ASSERT_LT(std::abs(c.lightness() - list.lightness()), 40) << "the mark stays faint behind the rows";
        }
    EXPECT_TRUE(drawn);
}

TEST(Artwork, CommandFacesLeaveTheCaptionBandCalm)
{
    // The caption label lies over rows 80..97 of each face; dark caption text needs a light, even ground there.
    for (const char* command : { "add", "convert", "stop", "support" })
        for (const char* face : { "normal", "hover", "pressed" }) {
            const QImage image
                = Load(QString("app/%1-%2.png").arg(command, face)).convertToFormat(QImage::Format_ARGB32);
            int lightest = 0, darkest = 255;
            for (int y = 82; y < 96; ++y)
                for (int x = 28; x < 84; ++x) {
                    lightest = std::max(lightest, qAlpha(image.pixel(x, y)));
                    darkest = std::min(darkest, qAlpha(image.pixel(x, y)));
                }
            EXPECT_LT(lightest - darkest, 40) << command << "-" << face;
        }
}
