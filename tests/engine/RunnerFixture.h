#pragma once

#include "engine/DosCommand.h"
#include "tests/support/ProcessState.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The command line that runs the test child with the given flags, each quoted by the runner's own rule.
inline std::string ChildCommand(const std::vector<std::string>& flags)
{
    std::string line = QuoteArgument(REELHAND_CHILDPROG);
    for (const std::string& flag : flags)
        line += " " + QuoteArgument(flag);
    return line;
}

struct Piece {
    std::string Text;
    TOutputType Type;
    bool operator==(const Piece&) const = default;
};

inline void PrintTo(const Piece& piece, std::ostream* out)
{
    *out << (piece.Type == otEntireLine ? "entire " : "beginning ") << ::testing::PrintToString(piece.Text);
}

// A runner whose events are recorded; waits run the event loop, as the program's user-interface thread does.
class RunnerTest : public ::testing::Test {
protected:
    RunnerTest()
    {
        runner.OnNewLine = [this](TDosCommand* sender, const std::string& text, TOutputType type) {
            EXPECT_EQ(sender, &runner);
            pieces.push_back({text, type});
        };
        runner.OnTerminated = [this](TDosCommand* sender, uint32_t exitCode) {
            EXPECT_EQ(sender, &runner);
            endings.push_back(exitCode);
        };
    }

    // Starts the child with flags and waits for the end of the run; false when it did not end in time.
    bool RunChild(const std::vector<std::string>& flags, int timeoutMs = 10000)
    {
        runner.SetCommandLine(ChildCommand(flags));
        runner.Start();
        return WaitForEndings(1, timeoutMs);
    }

    // The texts of the complete lines reported so far, in order.
    std::vector<std::string> EntireLines() const
    {
        std::vector<std::string> lines;
        for (const Piece& piece : pieces)
            if (piece.Type == otEntireLine)
                lines.push_back(piece.Text);
        return lines;
    }

    bool WaitForEndings(std::size_t count, int timeoutMs = 10000)
    {
        return WaitUntil([&] { return endings.size() >= count; }, timeoutMs);
    }

    TDosCommand runner;
    std::vector<Piece> pieces;
    std::vector<uint32_t> endings;
};

// The number after "<label> " in the first piece that starts so, or -1.
inline long NumberAfter(const std::vector<Piece>& pieces, const std::string& label)
{
    for (const Piece& piece : pieces)
        if (piece.Type == otEntireLine && piece.Text.rfind(label + " ", 0) == 0)
            return std::stol(piece.Text.substr(label.size() + 1));
    return -1;
}
