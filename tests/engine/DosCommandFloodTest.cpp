#include "RunnerFixture.h"

#include "platform/ResidentMemory.h"

#include <algorithm>

// Children that flood their output for half a minute, one with short lines and one with a line that never
// ends, both at once: the program's memory stays flat.
TEST(DosCommandFlood, MemoryStaysFlatUnderFloodsOfLinesAndOfOneEndlessLine)
{
    constexpr qint64 floodMs = 30000;
    constexpr std::size_t allowance = 48u << 20;
    TDosCommand lines, endless;
    long linePieces = 0, cutLines = 0, endings = 0;
    std::size_t longest = 0;
    lines.OnNewLine = [&](TDosCommand*, const std::string&, TOutputType) { ++linePieces; };
    endless.OnNewLine = [&](TDosCommand*, const std::string& text, TOutputType type) {
        longest = std::max(longest, text.size());
        cutLines += type == otEntireLine;
    };
    lines.OnTerminated = endless.OnTerminated = [&](TDosCommand*, uint32_t) { ++endings; };
    lines.SetCommandLine(ChildCommand({"--flood", "frame=  123 fps= 25 q=28.0 size=    1024kB\\n"}));
    endless.SetCommandLine(ChildCommand({"--flood", "x"}));

    const std::size_t before = platform::ResidentBytes();
    ASSERT_GT(before, 0u);
    std::size_t highest = before;
    QElapsedTimer clock;
    clock.start();
    lines.Start();
    endless.Start();
    // Measured after every round of hand-overs, so a growing flood is caught within moments.
    WaitUntil(
        [&] {
            highest = std::max(highest, platform::ResidentBytes());
            return highest > before + allowance || clock.elapsed() >= floodMs;
        },
        floodMs + 10000);
    lines.Stop();
    endless.Stop();
    ASSERT_TRUE(WaitUntil([&] { return endings == 2; }));

    EXPECT_LE(highest, before + allowance) << "grew by " << ((highest - before) >> 20) << " MiB";
    EXPECT_GE(clock.elapsed(), floodMs);
    EXPECT_GT(linePieces, 10000);
    EXPECT_GT(cutLines, 100);
    EXPECT_EQ(longest, MaxLineLength);
    EXPECT_LE(lines.CapturedLines().size(), MaxCapturedPieces);
}
