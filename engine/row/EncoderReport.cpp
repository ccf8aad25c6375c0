#include "engine/row/EncoderReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>

namespace {

// Lines kept as last words; each is cut to the whole budget, so a flood of long lines costs nothing more.
constexpr std::size_t KeptLines = 2;
const std::string Closing = "Conversion failed!";

// "hh:mm:ss.ff" (hours may have any number of digits, a leading '-' means before the start) in seconds.
std::optional<double> ParseClock(const std::string& text, std::size_t at)
{
    int sign = 1;
    if (at < text.size() && text[at] == '-') {
        sign = -1;
        ++at;
    }
    long hours = 0;
    int minutes = 0;
    double seconds = 0;
    int used = 0;
    if (std::sscanf(text.c_str() + at, "%ld:%d:%lf%n", &hours, &minutes, &seconds, &used) != 3 || used == 0)
        return std::nullopt;
    // "%lf" takes "inf" and "nan" too, and an endless source or position makes every figure meaningless.
    const double total = sign * (hours * 3600.0 + minutes * 60.0 + seconds);
    return std::isfinite(total) ? std::optional<double>(total) : std::nullopt;
}

bool StartsWith(const std::string& text, std::size_t at, const char* prefix)
{
    return text.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The encoder redraws one status line while it works ("frame=... time=..." for video, "size=... time=..."
// for sound); those say how far it is, never why it stopped.
bool IsProgressLine(const std::string& line, std::size_t start)
{
    return (StartsWith(line, start, "frame=") || StartsWith(line, start, "size=")) &&
           line.find("time=", start) != std::string::npos;
}

// Lines that describe the streams and files rather than report a problem: indented details, and the
// headers of the input and output descriptions.
bool IsDescription(const std::string& line)
{
    return line.empty() || line[0] == ' ' || line[0] == '\t' || StartsWith(line, 0, "Input #") ||
           StartsWith(line, 0, "Output #") || StartsWith(line, 0, "Stream mapping:") ||
           StartsWith(line, 0, "Press [q]") || StartsWith(line, 0, "video:");
}

// At most max bytes of text, never ending inside a UTF-8 sequence (file names in messages are UTF-8).
std::string Cut(const std::string& text, std::size_t max)
{
    if (text.size() <= max)
        return text;
    while (max > 0 && (static_cast<unsigned char>(text[max]) & 0xC0) == 0x80)
        --max;
    return text.substr(0, max);
}

// The demuxer's doubt about a file it barely recognised comes before the real error about that file and only
// pushes it out of the words kept.
bool IsProbeDoubt(const std::string& line)
{
    return line.ends_with("misdetection possible!");
}

// "[libx264 @ 0x55d0c0a1b2c0] text" reads "[libx264] text": the address means nothing to a user.
std::string WithoutAddresses(const std::string& line)
{
    static const std::regex address(" @ 0x[0-9a-fA-F]+\\]");
    return std::regex_replace(line, address, "]");
}

bool Mentions(const std::string& line, std::initializer_list<const char*> texts)
{
    return std::any_of(texts.begin(), texts.end(), [&](const char* text) { return line.find(text) != std::string::npos; });
}

bool IsDiskFull(const std::string& line)
{
    return Mentions(line, { "No space left on device", "Disk quota exceeded" });
}

bool IsWriteFailure(const std::string& line)
{
    return IsDiskFull(line)
        || Mentions(line, { "Error writing trailer", "Error closing file", "Input/output error", "File too large",
                              "av_interleaved_write_frame()", "Error muxing a packet" });
}

// Lines that say why a run failed, as opposed to the statistics an encoder prints while it closes.
bool NamesCause(const std::string& line)
{
    return IsWriteFailure(line)
        || Mentions(line, { "Permission denied", "No such file or directory", "Invalid data found",
                              "does not contain any stream", "matches no streams", "moov atom not found",
                              "Invalid argument", "Read-only file system", "Is a directory", "Not a directory",
                              "Operation not permitted", "Too many open files", "Cannot allocate memory",
                              "Could not write header", "Error opening", "Unknown encoder", "not supported" });
}

} // namespace

void TEncoderReport::Clear()
{
    m_duration.reset();
    m_position.reset();
    m_words.clear();
    m_cause.clear();
    m_outputExisted = false;
    m_writeFailed = false;
    m_diskFull = false;
}

void TEncoderReport::TakeLine(const std::string& line)
{
    const std::size_t start = std::min(line.find_first_not_of(" \t"), line.size());
    if (IsProgressLine(line, start)) {
        std::size_t time = line.find("time=", start);
        if (std::optional<double> position = ParseClock(line, time + 5))
            m_position = std::max(0.0, *position);
        return;
    }
    // Only the first input's length counts; stream tags such as "DURATION : ..." are spelled otherwise.
    if (!m_duration && StartsWith(line, start, "Duration: ")) {
        std::optional<double> duration = ParseClock(line, start + 10);
        if (duration && *duration > 0)
            m_duration = duration;
        return;
    }
    if (IsDescription(line) || IsProbeDoubt(line))
        return;
    // "File 'out.mp4' already exists. Exiting." (or "... Overwrite? [y/N] Not overwriting - exiting").
    if (StartsWith(line, start, "File '") && line.find("' already exists.", start) != std::string::npos)
        m_outputExisted = true;
    if (NamesCause(line))
        m_cause = Cut(line, MaxLastWords);
    m_writeFailed = m_writeFailed || IsWriteFailure(line);
    m_diskFull = m_diskFull || IsDiskFull(line);
    m_words.push_back(Cut(line, MaxLastWords));
    if (m_words.size() > KeptLines + 1)
        m_words.pop_front();
}

std::optional<int> TEncoderReport::Percent() const
{
    if (!m_duration || !m_position)
        return std::nullopt;
    // Clamped before the conversion: a position far past the end does not fit an int.
    return static_cast<int>(std::clamp(std::floor(*m_position * 100.0 / *m_duration), 0.0, 100.0));
}

std::optional<int64_t> TEncoderReport::SecondsLeft(double elapsedSeconds) const
{
    if (!m_duration || !m_position || *m_position <= 0 || elapsedSeconds <= 0)
        return std::nullopt;
    const double left = std::max(0.0, *m_duration - *m_position) * elapsedSeconds / *m_position;
    // A source of absurd length gives a time left beyond any clock; a century says as much and fits.
    constexpr double MaxLeft = 100.0 * 365 * 24 * 3600;
    return static_cast<int64_t>(std::llround(std::min(left, MaxLeft)));
}

std::string TEncoderReport::LastWords() const
{
    std::deque<std::string> words = m_words;
    // "Conversion failed!" closes every failed run; it tells why only when nothing else was said.
    if (words.size() > 1 && words.back() == Closing)
        words.pop_back();
    while (words.size() > KeptLines)
        words.pop_front();
    if (!m_cause.empty() && std::find(words.begin(), words.end(), m_cause) == words.end()) {
        words.pop_front();
        words.push_front(m_cause);
    }
    std::string joined;
    for (const std::string& line : words)
        joined += (joined.empty() ? "" : "; ") + WithoutAddresses(line);
    return BoundedText(joined, MaxLastWords);
}

std::string BoundedText(const std::string& text, std::size_t max)
{
    if (text.size() <= max)
        return text;
    return Cut(text, max - 3) + "...";
}

std::string ClockText(int64_t seconds)
{
    seconds = std::max<int64_t>(0, seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}
