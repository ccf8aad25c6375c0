#include "RunnerFixture.h"

#include "../support/TestDialogs.h"

#include <cerrno>
#include <sys/resource.h>

// Out of descriptors, a run cannot make its pipes: the user is told, the run still ends once, and nothing runs.
namespace {

// Allows no new descriptor while it lives; the ones already open stay usable.
class NoNewDescriptors {
public:
    NoNewDescriptors()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit none = m_saved;
        none.rlim_cur = 3;
        setrlimit(RLIMIT_NOFILE, &none);
    }
    ~NoNewDescriptors() { setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

using DosCommandPipeFailure = RunnerTest;

TEST_F(DosCommandPipeFailure, MissingPipesAreReportedAndTheRunEndsOnce)
{
    TTestDialogs dialogs;
    {
        NoNewDescriptors limit;
        runner.SetCommandLine(ChildCommand({"--out", "never\\n"}));
        runner.Start();
        ASSERT_TRUE(WaitForEndings(1));
    }
    EXPECT_EQ(endings, std::vector<uint32_t>{EMFILE});
    EXPECT_EQ(runner.Status(), 3);
    EXPECT_EQ(runner.ExitCode(), static_cast<uint32_t>(EMFILE));
    EXPECT_TRUE(pieces.empty());
    EXPECT_TRUE(runner.StartFailure().find("could not be created") != std::string::npos) << runner.StartFailure();
    EXPECT_TRUE(dialogs.Messages.isEmpty());
    runner.Start();
    ASSERT_TRUE(WaitForEndings(2));
    EXPECT_EQ(runner.Status(), 8);
    EXPECT_EQ(EntireLines(), std::vector<std::string>{"never"});
}
