#include "toolkit/SignalWatcher.h"

#include "tests/support/WaitUntil.h"

#include <csignal>
#include <gtest/gtest.h>
#include <vector>

// A request to end the program reaches the event loop, in order, instead of killing the process.
TEST(SignalWatcher, EachRequestToEndReachesTheEventLoopInOrder)
{
    std::vector<int> seen;
    {
        TSignalWatcher watcher([&](int signal) { seen.push_back(signal); });
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            ASSERT_EQ(std::raise(signal), 0);
        EXPECT_TRUE(WaitUntil([&] { return seen.size() == 3; }, 5000));
    }
    EXPECT_EQ(seen, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
    struct sigaction current {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL) << "once the watcher is gone the signal ends the program again";
}
