#include "app/Startup.h"

#include "app/SplashForm.h"
#include "app/mainForm.h"
#include "tests/app/AppTesting.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

bool SplashShown()
{
    return SplashDlg && SplashDlg->isVisible();
}

// Notes whether the splash was up when the main window's start-up reported its catalogue error.
class TSplashWatch : public TTestDialogs
{
public:
    bool SplashUpDuringCreation = false;
    int MessageBox(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, int buttons) override
    {
        SplashUpDuringCreation = SplashShown();
        return TTestDialogs::MessageBox(parent, text, caption, icon, buttons);
    }
};

} // namespace

TEST(SplashWait, WaitsAThousandTicks)
{
    uint32_t now = 5000;
    int rounds = 0;
    WaitAtLeast(
        1000, [&] { return now; }, [&] { now += 10, ++rounds; });
    EXPECT_EQ(rounds, 100);
}

TEST(SplashWait, ACounterThatWrapsDoesNotLengthenTheWait)
{
    uint32_t now = 0xFFFFFF00u; // 256 ticks before the wrap
    int rounds = 0;
    WaitAtLeast(
        1000, [&] { return now; }, [&] { now += 7, ++rounds; });
    EXPECT_EQ(rounds, 143); // 1001 ticks: the first step of 7 past 1000
    EXPECT_LT(now, 1000u);
}

TEST(SplashWait, TheRealTickCounterAdvances)
{
    const uint32_t first = GetTickCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return GetTickCount() - first >= 20; }, 2000));
}

TEST(StartUp, TheSplashStaysWhileTheMainWindowIsBuiltAndIsGoneAfter)
{
    TProgramFolder folder("<commands><command><format>A</format></commands>");
    TSplashWatch dialogs;
    uint32_t now = 0;
    std::unique_ptr<TmainDlg> window = StartUp([&] { return now += 50; });
    EXPECT_TRUE(dialogs.SplashUpDuringCreation);
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(SplashDlg, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Quor Reelhand");
}
