#include "toolkit/Application.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

// Work handed from a worker thread to the user-interface thread: it runs there, in order, its failure comes
// back to the worker, and closing the channel frees a worker that the user-interface thread waits for.
namespace {
template <class Condition>
void PumpUntil(Condition done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
} // namespace

TEST(SyncChannel, WorkRunsOnTheUserInterfaceThreadAndTheWorkerWaitsForIt)
{
    TSyncChannel channel;
    std::vector<int> order;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            bool ran = channel.Call([&, i] {
                EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
                order.push_back(i);
            });
            EXPECT_TRUE(ran);
            EXPECT_EQ(order.size(), static_cast<std::size_t>(i + 1));
        }
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(SyncChannel, FailureOfTheWorkComesBackToTheWorker)
{
    TSyncChannel channel;
    std::atomic<bool> done{false};
    std::string caught;
    std::thread worker([&] {
        try {
            channel.Call([] { throw std::runtime_error("from the handler"); });
        } catch (const std::exception& error) {
            caught = error.what();
        }
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(caught, "from the handler");
}

TEST(SyncChannel, ClosingReleasesAWaitingWorkerAndTheWorkNeverRuns)
{
    TSyncChannel channel;
    std::atomic<bool> posted{false};
    bool ran = false;
    bool result = true;
    std::thread worker([&] {
        posted = true;
        result = channel.Call([&] { ran = true; });
    });
    while (!posted)
        std::this_thread::yield();
    // The user-interface thread waits for the worker without handling events: only closing can free it.
    channel.Close();
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(channel.Call([&] { ran = true; }));
    EXPECT_FALSE(ran);
}

TEST(SyncChannel, OnTheUserInterfaceThreadWorkRunsAtOnce)
{
    TSyncChannel channel;
    bool ran = false;
    EXPECT_TRUE(channel.Call([&] { ran = true; }));
    EXPECT_TRUE(ran);
}
