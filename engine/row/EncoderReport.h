#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

// What one encoder run says about itself, read line by line as its output comes: the length of the source,
// how far the encoding has got, and the encoder's last words before it ended. It keeps a few hundred bytes,
// whatever and however much the encoder writes.
class TEncoderReport {
public:
    // The most LastWords gives, in bytes.
    static constexpr std::size_t MaxLastWords = 300;

    // Forgets everything of the run before.
    void Clear();
    // Takes one complete line of the encoder's output (without its line break).
    void TakeLine(const std::string& line);

    // The source's length in seconds: as the demuxer measured it beforehand when told, else from the encoder's
    // "Duration:" line; none while unknown.
    std::optional<double> Duration() const { return m_duration; }
    // The source's length as measured before the run; the encoder's own figure is then not taken.
    void SetDuration(double seconds) { m_duration = seconds; }
    // How far into the source the encoder has got, in seconds, from its latest progress line; none before.
    std::optional<double> Position() const { return m_position; }
    // Position in percent of Duration, 0 to 100, rounded down; none when either is unknown.
    std::optional<int> Percent() const;
    // Seconds still to go at the pace so far, given the seconds the run has taken; none while unknown.
    std::optional<int64_t> SecondsLeft(double elapsedSeconds) const;
    // The encoder's last few lines that tell something (progress lines, stream descriptions and the closing
    // "Conversion failed!" left out), joined by "; ", at most MaxLastWords bytes; empty when it said nothing. A
    // line that names a cause (a system error, unreadable input, no stream) comes first, also when statistics
    // followed it.
    std::string LastWords() const;
    // The latest line that names a cause; empty when none did.
    const std::string& Cause() const { return m_cause; }
    // True once the encoder said that writing its output failed (a full disk, an I/O error, a trailer or file
    // it could not close): the output is broken even when the encoder ends with exit code 0.
    bool WriteFailed() const { return m_writeFailed; }
    // True once the encoder said the disk or the user's quota is full.
    bool DiskFull() const { return m_diskFull; }
    // True once the encoder said that its output file was already there and it left it alone: that file is
    // someone else's, whatever becomes of the run.
    bool OutputExisted() const { return m_outputExisted; }

private:
    std::optional<double> m_duration;
    std::optional<double> m_position;
    std::deque<std::string> m_words;
    std::string m_cause;
    bool m_outputExisted = false;
    bool m_writeFailed = false;
    bool m_diskFull = false;
};

// The text when it has at most max bytes (max >= 3); else its beginning followed by "...", max bytes in all,
// never cut inside a UTF-8 sequence.
std::string BoundedText(const std::string& text, std::size_t max);

// Seconds as "hh:mm:ss"; hours grow past two digits when needed.
std::string ClockText(int64_t seconds);
