#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// Runs the event loop, as the program's user-interface thread does, until done() holds; false after timeoutMs.
// It sleeps until the next event (a 20 ms timer wakes it for conditions no event announces), so neither a reader
// waiting for every line nor an encoder under test is slowed: QTest::qWaitFor naps 10 ms between rounds, and a
// spinning loop takes the processor from the child.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QTimer wake;
    wake.start(20);
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}
