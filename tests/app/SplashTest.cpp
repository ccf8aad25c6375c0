#include "app/SplashForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace
{

// A tick counter that moves on by `step` ms each time it is read, starting at `start`.
struct FakeTicks {
    std::uint32_t Now;
    std::uint32_t Step;
    int Reads = 0;
    std::uint32_t Last = 0;

    std::uint32_t operator()()
    {
        if (++Reads > 100000)
            throw std::runtime_error("the wait never ended");
        Last = Now;
        Now += Step;
        return Last;
    }
};

TTickSource Source(FakeTicks& ticks)
{
    return [&ticks] { return ticks(); };
}

} // namespace

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

TEST(StartupWait, EndsWhenTheTickDifferenceReachesTheMinimum)
{
    const std::uint32_t starts[] = { 0, 123456, 0xFFFFFF00u, 0xFFFFFFFFu, 0xFFFFFC18u };
    for (std::uint32_t start : starts) {
        FakeTicks ticks { start, 10 };
        ProcessMessagesFor(1000, Source(ticks));
        EXPECT_EQ(static_cast<std::uint32_t>(ticks.Last - start), 1000u) << "start " << start;
        EXPECT_EQ(ticks.Reads, 101) << "start " << start;
    }
}

TEST(StartupWait, ACounterWrapDoesNotCutTheWaitShortOrLengthenIt)
{
    // The counter wraps after 60 ms of the wait; uneven steps so the end falls between two readings.
    FakeTicks ticks { 0xFFFFFFFFu - 60, 7 };
    ProcessMessagesFor(1000, Source(ticks));
    const std::uint32_t waited = ticks.Last - (0xFFFFFFFFu - 60);
    EXPECT_GE(waited, 1000u);
    EXPECT_LT(waited, 1007u);
}

TEST(StartupWait, KeepsTheApplicationResponsive)
{
    bool handled = false;
    QTimer::singleShot(0, [&handled] { handled = true; });
    FakeTicks ticks { 0, 100 };
    ProcessMessagesFor(1000, Source(ticks));
    EXPECT_TRUE(handled);
}

TEST(StartupWait, CountsRealMilliseconds)
{
    QElapsedTimer clock;
    clock.start();
    ProcessMessagesFor(40);
    EXPECT_GE(clock.elapsed(), 39);
}

TEST(SplashLifetime, VisibleThroughTheWaitAndAfterItUntilFreed)
{
    bool visibleWhileWaiting = true;
    FakeTicks ticks { 0xFFFFFFF0u, 50 };
    ShowSplash([&] {
        visibleWhileWaiting = visibleWhileWaiting && SplashDlg && SplashDlg->isVisible();
        return ticks();
    });
    EXPECT_TRUE(visibleWhileWaiting);
    EXPECT_EQ(ticks.Reads, 21);
    ASSERT_NE(SplashDlg, nullptr);
    EXPECT_TRUE(SplashDlg->isVisible()) << "the splash stays while the main window is built";

    TSplashDlg* first = SplashDlg;
    FakeTicks again { 0, 50 };
    ShowSplash(Source(again));
    EXPECT_EQ(SplashDlg, first) << "a second splash is never made";
    EXPECT_EQ(again.Reads, 0);

    FreeSplash();
    EXPECT_EQ(SplashDlg, nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_EQ(dynamic_cast<TSplashDlg*>(window), nullptr) << "the splash window is gone";
    FreeSplash();
}
