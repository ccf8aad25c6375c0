#include "app/Startup.h"

#include "app/SplashForm.h"
#include "app/mainForm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

uint32_t GetTickCount()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return static_cast<uint32_t>(clock.elapsed());
}

void WaitAtLeast(uint32_t minimum, const std::function<uint32_t()>& tick, const std::function<void()>& processEvents)
{
    const uint32_t start = tick();
    while (static_cast<uint32_t>(tick() - start) < minimum)
        processEvents();
}

std::unique_ptr<TmainDlg> StartUp(const std::function<uint32_t()>& tick)
{
    auto splash = std::make_unique<TSplashDlg>();
    splash->show();
    // A short heartbeat wakes the loop while it waits for window messages, so the wait needs no busy spin.
    QTimer heartbeat;
    heartbeat.start(10);
    WaitAtLeast(1000, tick, [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); });
    heartbeat.stop();

    auto mainDlg = std::make_unique<TmainDlg>();
    mainDlg->show();
    splash->hide();
    splash.reset();
    return mainDlg;
}
