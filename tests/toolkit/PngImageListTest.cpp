#include "toolkit/Exception.h"
#include "toolkit/PngImageList.h"

#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PngImageList, KeepsPicturesInOrderAtTheListSize)
{
    TPngImageList list;
    QImage big(32, 32, QImage::Format_ARGB32);
    big.fill(QColor(10, 200, 30));
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(QColor(250, 0, 0));
    EXPECT_EQ(list.Add(big), 0);
    EXPECT_EQ(list.Add(small), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Image(0).size(), QSize(16, 16));
    EXPECT_EQ(list.Image(0).pixelColor(8, 8), QColor(10, 200, 30));
    EXPECT_EQ(list.Image(1).pixelColor(0, 0), QColor(250, 0, 0));
    EXPECT_TRUE(list.Image(2).isNull());
    EXPECT_TRUE(list.Image(-1).isNull());
}

TEST(PngImageList, DrawsWithItsAlphaOverWhatIsThere)
{
    TPngImageList list;
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixelColor(3, 3, QColor(0, 0, 0, 255));
    picture.setPixelColor(4, 4, QColor(255, 255, 255, 128));
    list.Add(picture);
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(QColor(100, 100, 100));
    {
        QPainter painter(&target);
        list.Draw(painter, 2, 2, 0);
        list.Draw(painter, 0, 0, 7); // outside the list: nothing
    }
    EXPECT_EQ(target.pixelColor(2, 2), QColor(100, 100, 100));
    EXPECT_EQ(target.pixelColor(5, 5), QColor(0, 0, 0));
    EXPECT_NEAR(target.pixelColor(6, 6).red(), (100 + 255) / 2, 2);
}

TEST(PngImageList, LoadsPngFilesAndRefusesOthers)
{
    QTemporaryDir dir;
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(QColor(0, 128, 0, 200));
    ASSERT_TRUE(picture.save(dir.filePath("icon.png")));
    TPngImageList list;
    EXPECT_EQ(list.AddFile(dir.filePath("icon.png")), 0);
    EXPECT_EQ(list.Image(0).pixelColor(1, 1).alpha(), 200);
    EXPECT_THROW(list.AddFile(dir.filePath("missing.png")), Exception);
    EXPECT_EQ(list.Count(), 1);
}
