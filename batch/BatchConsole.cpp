#include "batch/BatchConsole.h"

#include "batch/BatchRunner.h"
#include "batch/ColumnFit.h"
#include "platform/Terminal.h"
#include "toolkit/VisibleText.h"

#include <QString>
#include <algorithm>
#include <optional>

namespace
{

std::string Item(const TBatchRow& row)
{
    return "item " + std::to_string(row.Index + 1);
}

// Names and reasons come from other people's files and programs: shown escaped, they can neither drive the
// terminal nor forge a line.
std::string Source(const TBatchRow& row)
{
    return VisibleText(row.FileName).toStdString();
}

std::string Output(const TBatchRow& row)
{
    return VisibleText(row.Output);
}

std::string Failure(const TBatchRow& row)
{
    return Item(row) + ": " + Source(row) + ": " + VisibleText(row.Reason) + "\n";
}

} // namespace

TBatchConsole::TBatchConsole(TMode mode, const TBatchRunner& runner, std::FILE* out)
    : m_mode(mode)
    , m_runner(runner)
    , m_out(out)
{
    m_clock.start();
}

void TBatchConsole::RowStarted(const TBatchRow& row)
{
    if (m_mode == TMode::Plain)
        Write("started  " + Item(row) + ": " + Source(row) + " -> " + Output(row) + "\n");
    else
        Redraw();
}

void TBatchConsole::RowEnded(const TBatchRow& row)
{
    if (m_mode != TMode::Quiet)
        for (const std::string& note : row.Notes)
            Write("note     " + Item(row) + ": " + VisibleText(note) + "\n");
    if (row.State == TRowState::Failed)
        Write("failed   " + Failure(row));
    else if (m_mode == TMode::Quiet)
        return;
    else if (row.State == TRowState::Done)
        Write("done     " + Item(row) + ": " + Output(row) + "\n");
    else if (row.State == TRowState::Skipped)
        Write("skipped  " + Item(row) + ": " + Output(row) + " is already there\n");
}

void TBatchConsole::Redraw()
{
    if (m_mode == TMode::Live)
        Write({});
}

void TBatchConsole::Summary(const std::string& stopReason)
{
    std::string text;
    if (!stopReason.empty()) {
        const int notStarted = m_runner.Count(TRowState::Waiting);
        text += stopReason + " " + std::to_string(notStarted) + (notStarted == 1 ? " row was" : " rows were")
            + " not started.\n";
    }
    text += "Converted " + std::to_string(m_runner.Count(TRowState::Done)) + ", failed "
        + std::to_string(m_runner.Count(TRowState::Failed)) + ", skipped "
        + std::to_string(m_runner.Count(TRowState::Skipped)) + " of " + std::to_string(m_runner.Total()) + " in "
        + ClockText(m_clock.elapsed() / 1000) + ".\n";
    if (m_runner.Count(TRowState::Failed) > 0) {
        text += "Failed:\n";
        for (const TBatchRow& row : m_runner.FailedRows())
            text += "  " + Failure(row);
    }
    // The summary takes the live lines' place for good.
    if (m_mode == TMode::Live && m_liveLineCount > 0)
        text = "\r\x1b[" + std::to_string(m_liveLineCount) + "A\x1b[J" + text;
    m_liveLineCount = 0;
    std::fputs(text.c_str(), m_out);
    std::fflush(m_out);
}

void TBatchConsole::Write(const std::string& lines)
{
    std::string text;
    if (m_mode == TMode::Live) {
        // Back to the first live line, clear from there down, then the new lines and the live lines again, all
        // in one write so the terminal never shows them half drawn.
        if (m_liveLineCount > 0)
            text = "\r\x1b[" + std::to_string(m_liveLineCount) + "A\x1b[J";
        const std::string live = LiveLines();
        text += lines + live;
        m_liveLineCount = static_cast<int>(std::count(live.begin(), live.end(), '\n'));
    } else {
        text = lines;
    }
    std::fputs(text.c_str(), m_out);
    std::fflush(m_out);
}

std::string TBatchConsole::LiveLines() const
{
    std::string lines;
    for (const TRunningRow& running : m_runner.Running()) {
        const QString name = running.Row->FileName.section('/', -1);
        lines += Fit("  " + VisibleText(name).toStdString() + "  " + running.Run->Snapshot().Progress) + "\n";
    }
    return lines + Fit(OverallLine()) + "\n";
}

// The counts, the elapsed time and the time left, judged from the work done so far: every row that ended after
// its encoder ran counts whole, a running one by its percent; skipped rows cost nothing.
std::string TBatchConsole::OverallLine() const
{
    const int done = m_runner.Count(TRowState::Done);
    const int failed = m_runner.Count(TRowState::Failed);
    const int skipped = m_runner.Count(TRowState::Skipped);
    const int total = m_runner.Total();
    double worked = done + failed;
    // The batch lasts at least as long as its slowest running file still needs.
    std::optional<int64_t> longestRunning;
    for (const TRunningRow& running : m_runner.Running()) {
        const TRowSnapshot snapshot = running.Run->Snapshot();
        worked += snapshot.Work;
        if (const std::optional<int64_t> left = snapshot.SecondsLeft)
            longestRunning = std::max(longestRunning.value_or(0), *left);
    }
    const double elapsed = m_clock.elapsed() / 1000.0;
    std::string line = std::to_string(done) + " done, " + std::to_string(failed) + " failed, " + std::to_string(skipped)
        + " skipped of " + std::to_string(total) + ", " + ClockText(static_cast<int64_t>(elapsed)) + " elapsed";
    if (worked > 0 || longestRunning) {
        const double byPace = worked > 0 ? elapsed * (total - skipped - worked) / worked : 0;
        line += ", about " + ClockText(std::max(static_cast<int64_t>(byPace + 0.5), longestRunning.value_or(0)))
            + " left";
    }
    return line;
}

// A line cut to the terminal's width in columns, short of the last one, so that it never wraps and the redraw
// knows how many lines to go back.
std::string TBatchConsole::Fit(const std::string& line) const
{
    return FitColumns(line, platform::TerminalColumns() - 1);
}
