#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <gtest/gtest.h>

// The windows ask for Trebuchet MS and MS Sans Serif, which a Linux desktop does not have; the application object
// maps them to installed humanist sans faces so captions keep their look and width.

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

TEST(FontSubstitution, TrebuchetIsDrawnInOpenSans)
{
    ASSERT_TRUE(QFontDatabase::families().contains("Open Sans")) << "the set-up script installs fonts-open-sans";
    for (const QFont& font :
        { Font("Trebuchet MS", 12), Font("Trebuchet MS", 13, true), Font("Trebuchet MS", 12, true, true) }) {
        const QFontInfo info(font);
        EXPECT_EQ(info.family(), "Open Sans") << font.toString().toStdString();
        EXPECT_EQ(info.bold(), font.bold());
        EXPECT_EQ(info.italic(), font.italic());
        EXPECT_EQ(info.pixelSize(), font.pixelSize());
    }
}

TEST(FontSubstitution, CaptionsMeasureLikeTheStandInNotTheFallback)
{
    // A caption laid out in a font that silently fell back to the default would get another width.
    const QString caption = "0 files finished 0 of 0";
    EXPECT_EQ(QFontMetrics(Font("Trebuchet MS", 12)).horizontalAdvance(caption),
        QFontMetrics(Font("Open Sans", 12)).horizontalAdvance(caption));
}
