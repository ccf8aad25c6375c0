#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <gtest/gtest.h>

// The windows ask for Trebuchet MS, which a Linux desktop does not have; the application object maps it to an
// installed humanist sans whose widths are close enough that every caption fits the label box the form gives it.

namespace
{

QFont Font(const QString& family, int pixels, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

TEST(FontSubstitution, TrebuchetIsDrawnInTheStandIn)
{
    ASSERT_TRUE(QFontDatabase::families().contains("Lato")) << "the set-up script installs fonts-lato";
    for (const QFont& font :
        { Font("Trebuchet MS", 12), Font("Trebuchet MS", 13, true), Font("Trebuchet MS", 12, true, true) }) {
        const QFontInfo info(font);
        EXPECT_EQ(info.family(), "Lato") << font.toString().toStdString();
        EXPECT_EQ(info.bold(), font.bold());
        EXPECT_EQ(info.italic(), font.italic());
        EXPECT_EQ(info.pixelSize(), font.pixelSize());
    }
}

TEST(FontSubstitution, CaptionsFitTheLabelBoxesOfTheWindows)
{
    // Caption, pixel height, bold, italic, and the width of the fixed label that shows it.
    const struct {
        const char* Text;
        int Pixels;
        bool Bold, Italic;
        int Width;
    } captions[] = {
        { "Add", 13, true, false, 24 },
        { "Convert", 13, true, false, 48 },
        { "Stop", 13, true, false, 27 },
        { "Support", 13, true, false, 49 },
        { "List", 11, true, false, 18 },
        { "check for updates", 12, true, true, 104 },
        { "Information", 16, false, false, 82 },
        { "save path (leave it blank to use global path)", 16, false, false, 315 },
    };
    for (const auto& c : captions) {
        const QFontMetrics metrics(Font("Trebuchet MS", c.Pixels, c.Bold, c.Italic));
        EXPECT_LE(metrics.horizontalAdvance(c.Text), c.Width) << c.Text;
    }
}
