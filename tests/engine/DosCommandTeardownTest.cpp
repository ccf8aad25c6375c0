#include "RunnerFixture.h"

#include "../support/TestDialogs.h"

#include <memory>
#include <thread>

// Destroying a runner while its run goes on: the child goes with it, no event reaches the destroyed runner's
// owner, and the program never hangs, whether the runner dies from outside or inside one of its events.
namespace {

struct Owned {
    std::unique_ptr<TDosCommand> Runner = std::make_unique<TDosCommand>();
    std::vector<std::string> Lines;
    int Endings = 0;
};

} // namespace

TEST(DosCommandTeardown, DestroyedFromOutsideAnEventKillsTheChild)
{
    Owned owned;
    owned.Runner->OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType) { owned.Lines.push_back(text); };
    owned.Runner->OnTerminated = [&](TDosCommand*, uint32_t) { ++owned.Endings; };
    owned.Runner->SetCommandLine(ChildCommand({"--pid", "--forever"}));
    owned.Runner->Start();
    ASSERT_TRUE(WaitUntil([&] { return !owned.Lines.empty(); }));
    long pid = std::stol(owned.Lines[0].substr(4));
    owned.Runner.reset();
    EXPECT_EQ(ProcessState(pid), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(owned.Endings, 0);
}

TEST(DosCommandTeardown, DestroyedWhileTheReaderWaitsForTheUserInterface)
{
    Owned owned;
    owned.Runner->OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType) { owned.Lines.push_back(text); };
    owned.Runner->SetCommandLine(ChildCommand({"--pid", "--lines", "1000", "--forever"}));
    owned.Runner->Start();
    // Without handling events, the reader's first hand-over stays queued and the reader waits for it.
    while (owned.Runner->CapturedLines().empty())
        std::this_thread::yield();
    long pid = std::stol(owned.Runner->CapturedLines()[0].substr(4));
    owned.Runner.reset();
    EXPECT_EQ(ProcessState(pid), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(owned.Lines.empty());
}

TEST(DosCommandTeardown, DestroyedFromInsideALineHandler)
{
    Owned owned;
    long pid = 0;
    owned.Runner->OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType) {
        owned.Lines.push_back(text);
        if (owned.Lines.size() == 1)
            pid = std::stol(text.substr(4));
        if (owned.Lines.size() == 3)
            owned.Runner.reset();
    };
    owned.Runner->OnTerminated = [&](TDosCommand*, uint32_t) { ++owned.Endings; };
    owned.Runner->SetCommandLine(ChildCommand({"--pid", "--lines", "100000", "--forever"}));
    owned.Runner->Start();
    ASSERT_TRUE(WaitUntil([&] { return !owned.Runner; }));
    EXPECT_EQ(ProcessState(pid), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(owned.Lines.size(), 3u);
    EXPECT_EQ(owned.Endings, 0);
}

TEST(DosCommandTeardown, DestroyedFromInsideTheEndHandler)
{
    TTestDialogs dialogs;
    Owned owned;
    std::vector<uint32_t> endings;
    owned.Runner->OnTerminated = [&](TDosCommand*, uint32_t exitCode) {
        endings.push_back(exitCode);
        owned.Runner.reset();
    };
    owned.Runner->SetCommandLine("/nonexistent/program");
    owned.Runner->Start();
    ASSERT_TRUE(WaitUntil([&] { return !owned.Runner; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(endings.size(), 1u);
}

TEST(DosCommandTeardown, DestroyedRightAfterAStopOfAnEarlierRun)
{
    Owned owned;
    owned.Runner->OnTerminated = [&](TDosCommand*, uint32_t) { ++owned.Endings; };
    owned.Runner->SetCommandLine(ChildCommand({"--forever"}));
    owned.Runner->Start();
    owned.Runner->Start();
    owned.Runner->Stop();
    owned.Runner.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(owned.Endings, 0);
}
