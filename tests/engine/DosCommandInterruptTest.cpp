#include "RunnerFixture.h"

#include <atomic>
#include <csignal>
#include <sys/time.h>

// A program with timers and child processes sees its waits, reads and writes interrupted by signals all the
// time; a run must come through whole anyway.
namespace {

std::atomic<int> interruptions{0};

void CountInterruption(int)
{
    ++interruptions;
}

// Delivers SIGALRM every half millisecond, without restarting interrupted calls, while it lives.
class Interrupter {
public:
    Interrupter()
    {
        struct sigaction action {};
        action.sa_handler = CountInterruption;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(SIGALRM, &action, &m_previous);
        itimerval every{{0, 500}, {0, 500}};
        setitimer(ITIMER_REAL, &every, nullptr);
    }
    ~Interrupter()
    {
        itimerval off{};
        setitimer(ITIMER_REAL, &off, nullptr);
        sigaction(SIGALRM, &m_previous, nullptr);
    }

private:
    struct sigaction m_previous {};
};

} // namespace

using DosCommandInterrupted = RunnerTest;

TEST_F(DosCommandInterrupted, RunSurvivesSignalsInEveryCall)
{
    Interrupter interrupter;
    interruptions = 0;
    const std::string entry = std::string(200000, 'i') + "\n";
    runner.SetCommandLine(ChildCommand({"--burst", "3000000", "100", "--echo", "1", "--sleep", "200", "--exit", "9"}));
    runner.Start();
    runner.PendingInput().Add(entry);
    ASSERT_TRUE(WaitForEndings(1, 60000));
    std::vector<std::string> lines = EntireLines();
    // The echo is longer than a line may be: it comes cut into entire lines of the limit, 200004 bytes in four.
    ASSERT_EQ(lines.size(), 30004u);
    for (std::size_t i = 0; i < 30000; i += 997)
        EXPECT_EQ(std::stol(lines[i]), static_cast<long>(i));
    std::string echoed;
    for (std::size_t i = 30000; i < lines.size(); ++i)
        echoed += lines[i];
    EXPECT_EQ(echoed, "got:" + entry.substr(0, entry.size() - 1));
    EXPECT_EQ(endings, std::vector<uint32_t>{9});
    EXPECT_EQ(runner.Status(), 8);
    EXPECT_GT(interruptions.load(), 50);
}
