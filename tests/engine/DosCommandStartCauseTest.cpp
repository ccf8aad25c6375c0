// A child that cannot be started is reported with its real cause: only a missing program "doesn't exist".
#include "RunnerFixture.h"

#include "../support/TestDialogs.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <unistd.h>

namespace {
std::atomic<bool> ProcessTableFull{false};
}

// A full process table, as many users' or jobs' processes leave it, without filling the machine's.
extern "C" pid_t fork() noexcept
{
    if (ProcessTableFull) {
        errno = EAGAIN;
        return -1;
    }
    static const auto real = reinterpret_cast<pid_t (*)()>(::dlsym(RTLD_NEXT, "fork"));
    return real();
}

using DosCommandStartCause = RunnerTest;

TEST_F(DosCommandStartCause, TheMessageSaysWhyTheChildDidNotStart)
{
    struct Case {
        std::string program;
        bool tableFull;
        uint32_t exitCode;
        std::string said;
    };
    const Case cases[] = {
        {"/nonexistent/bin/ffmpeg", false, ENOENT, " doesn't exist."},
        {REELHAND_CHILDPROG, true, EAGAIN, " could not be started: Resource temporarily unavailable."},
        {REELHAND_SOURCE_DIR "/README.md", false, EACCES, " could not be started: Permission denied."},
    };
    for (const Case& c : cases) {
        endings.clear();
        const std::string commandLine = QuoteArgument(c.program) + " --exit 0";
        runner.SetCommandLine(commandLine);
        ProcessTableFull = c.tableFull;
        runner.Start();
        EXPECT_TRUE(WaitForEndings(1));
        ProcessTableFull = false;
        EXPECT_EQ(endings, std::vector<uint32_t>{c.exitCode}) << c.program;
        EXPECT_EQ(runner.StartFailure(), commandLine + c.said);
    }
}
