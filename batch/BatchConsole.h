#pragma once

#include "batch/BatchRow.h"

#include <QElapsedTimer>
#include <cstdio>
#include <string>

class TBatchRunner;

// What the command-line mode tells the person who runs it, on standard output.
class TBatchConsole {
public:
    enum class TMode {
        Live, // a terminal: every ended row, below them one line per running encoder and an overall line, redrawn
        Plain, // a file or pipe: one line per row started or ended
        Quiet, // only the rows that fail
    };

    // The elapsed time counts from here.
    TBatchConsole(TMode mode, const TBatchRunner& runner, std::FILE* out = stdout);

    void RowStarted(const TBatchRow& row);
    void RowEnded(const TBatchRow& row);
    // Redraws the encoders' lines and the overall line (a terminal only); called once a second and on events.
    void Redraw();
    // Replaces the live lines by the summary: the counts, the elapsed time, and every failed row with its reason.
    // stopReason says why the batch ended early, as a sentence; empty when it ran to its end.
    void Summary(const std::string& stopReason);

private:
    // Writes permanent lines; on a terminal they go above the live lines, which are drawn again below them.
    void Write(const std::string& lines);
    std::string LiveLines() const;
    std::string OverallLine() const;
    std::string Fit(const std::string& line) const;

    const TMode m_mode;
    const TBatchRunner& m_runner;
    std::FILE* const m_out;
    QElapsedTimer m_clock;
    int m_liveLineCount = 0;
};
