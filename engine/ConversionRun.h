#pragma once

#include "engine/EncoderReport.h"
#include "engine/RunOutcome.h"
#include "toolkit/Exception.h"

#include <chrono>
#include <string>

// The encoder is missing or may not be run; the message names its path and what to do.
class EEncoderMissing : public Exception
{
public:
    using Exception::Exception;
};

// Raises EEncoderMissing unless an executable file is at path.
void CheckEncoder(const std::string& path);

// One encoder run of one file, from its start to its outcome: reads the encoder's lines as they come, tells how
// far the run is, and after a failed end removes the output file the run made. The output's name must have been
// free when the run began (the naming rule sees to it), so a file there afterwards is the run's own unfinished
// work, unless the encoder said it found the name taken; a file that was there before is never touched.
class TConversionRun
{
public:
    // Begins a run that writes to output; forgets the run before.
    void Begin(const std::string& output);
    // True from Begin until End or Abandon.
    bool Active() const { return m_active; }
    const std::string& Output() const { return m_output; }

    // Takes one complete line of the encoder's output.
    void TakeLine(const std::string& line) { m_report.TakeLine(line); }
    const TEncoderReport& Report() const { return m_report; }
    // Seconds since Begin.
    double ElapsedSeconds() const;
    // How far the run is: "42 %, about 00:01:05 left"; "42 %, 00:00:03 elapsed" before the pace is known;
    // "00:00:12 elapsed" while the source's length is unknown.
    std::string ProgressText() const;

    // Ends an active run with its outcome; unless that is a success, the output the run made is removed, and
    // the outcome says so when it cannot be. A run that is not active gives the outcome back unchanged.
    TRunOutcome End(TRunOutcome outcome);
    // Ends a run that nobody will report on (the program is closing): its unfinished output is removed.
    void Abandon();

private:
    bool m_active = false;
    std::string m_output;
    TEncoderReport m_report;
    std::chrono::steady_clock::time_point m_began;
};
