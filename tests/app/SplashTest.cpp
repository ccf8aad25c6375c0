#include "app/SplashForm.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

TEST(SplashWindow, ShowsThePictureBorderlessAndCentredOnTheDesktop)
{
    TSplashDlg splash;
    splash.show();
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.size(), QSize(570, 330));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize()) << "the splash cannot be resized";
    EXPECT_EQ(splash.Image1->geometry(), QRect(0, 0, 570, 330));
    EXPECT_NEAR(splash.windowOpacity(), 200.0 / 255.0, 0.01);
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((splash.frameGeometry().center() - centre).manhattanLength(), 1);

    const QImage shown = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = QImage(":/images/app/splash.jpg").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), QSize(570, 330));
    EXPECT_EQ(shown, picture);
}

TEST(SplashWindow, IsTheProgramWideSplashWhileItExists)
{
    EXPECT_EQ(SplashDlg, nullptr);
    {
        TSplashDlg splash;
        EXPECT_EQ(SplashDlg, &splash);
    }
    EXPECT_EQ(SplashDlg, nullptr) << "a freed splash leaves no dangling reference";
}
