#include "engine/row/EncoderReport.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEncoderReport ReportOf(const std::vector<std::string>& lines)
{
    TEncoderReport report;
    for (const std::string& line : lines)
        report.TakeLine(line);
    return report;
}

struct LastWordsCase {
    const char* what;
    std::vector<std::string> lines; // as the encoder wrote them
    std::string expected;
};

} // namespace

// Why a run failed, in the encoder's own words, from output as the encoder really writes it.
TEST(EncoderReport, LastWordsTellWhyTheEncoderGaveUp)
{
    const std::vector<LastWordsCase> cases = {
        {"not a video",
         {"[mov,mp4,m4a,3gp,3g2,mj2 @ 0x55e690880900] Format mov,mp4,m4a,3gp,3g2,mj2 detected only with low score "
          "of 1, misdetection possible!",
          "[mov,mp4,m4a,3gp,3g2,mj2 @ 0x55e690880900] moov atom not found",
          "/tmp/text.mp4: Invalid data found when processing input"},
         "[mov,mp4,m4a,3gp,3g2,mj2] moov atom not found; /tmp/text.mp4: Invalid data found when processing input"},
        {"a doubtful probe before the error",
         {"[avi @ 0x5581] Format avi detected only with low score of 1, misdetection possible!",
          "/tmp/notes.avi: Invalid data found when processing input"},
         "/tmp/notes.avi: Invalid data found when processing input"},
        {"no stream for the target",
         {"Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'in.mp4':", "  Metadata:", "    major_brand     : isom",
          "  Duration: 00:00:02.00, start: 0.000000, bitrate: 275 kb/s",
          "  Stream #0:0[0x1](und): Video: h264 (High), yuv420p(progressive), 320x240, 25 fps",
          "      vendor_id       : [0][0][0][0]", "Output #0, mp3, to 'o.mp3':",
          "Output file #0 does not contain any stream"},
         "Output file #0 does not contain any stream"},
        {"odd size, closing line dropped",
         {"Stream mapping:", "  Stream #0:0 -> #0:0 (ffv1 (native) -> h264 (libx264))",
          "[libx264 @ 0x55c00580ea80] width not divisible by 2 (321x241)",
          "Error initializing output stream 0:0 -- Error while opening encoder for output stream #0:0",
          "Conversion failed!"},
         "[libx264] width not divisible by 2 (321x241); Error initializing output stream 0:0 -- Error while "
         "opening encoder for output stream #0:0"},
        {"only the closing line", {"Conversion failed!"}, "Conversion failed!"},
        {"progress is no reason",
         {"frame=   50 fps=0.0 q=13.8 size=     123kB time=00:00:02.00 bitrate= 504.0kbits/s speed=46.5x    ",
          "size=     189kB time=00:00:12.00 bitrate= 129.3kbits/s speed= 204x"},
         ""},
        {"said nothing", {}, ""},
    };
    for (const LastWordsCase& c : cases)
        EXPECT_EQ(ReportOf(c.lines).LastWords(), c.expected) << c.what;
}

// However much the encoder writes, the words kept stay within their budget and never split a character.
TEST(EncoderReport, LastWordsStayBounded)
{
    TEncoderReport report;
    const std::string longLine = "é" + std::string(100000, 'x');
    for (int i = 0; i < 10000; ++i)
        report.TakeLine(i % 2 ? longLine : std::string(1000, 'y') + "é");
    const std::string words = report.LastWords();
    EXPECT_LE(words.size(), TEncoderReport::MaxLastWords);
    EXPECT_TRUE(words.ends_with("...")) << words;
    for (unsigned char c : words.substr(words.size() - 4, 1))
        EXPECT_NE(c & 0xC0, 0x80) << "a character was cut in two";

    report.Clear();
    EXPECT_EQ(report.LastWords(), "");
    EXPECT_FALSE(report.Duration());
}

// Progress comes from the source's length and the time in the status lines; unknown parts give no figure.
TEST(EncoderReport, ProgressAndTimeLeftFollowTheStatusLines)
{
    TEncoderReport report;
    EXPECT_FALSE(report.Percent());
    report.TakeLine("    DURATION        : 00:09:00.000000000"); // a stream tag, not the source's length
    report.TakeLine("  Duration: 00:01:40.00, start: 0.000000, bitrate: 1109 kb/s");
    report.TakeLine("  Duration: 00:00:05.00, start: 0.000000, bitrate: 64 kb/s"); // a second input
    ASSERT_TRUE(report.Duration());
    EXPECT_DOUBLE_EQ(*report.Duration(), 100.0);
    EXPECT_FALSE(report.Percent());

    report.TakeLine("frame=    1 fps=0.0 q=0.0 size=       0kB time=-00:00:00.04 bitrate=N/A speed=N/A    ");
    EXPECT_EQ(report.Percent(), 0);
    report.TakeLine("frame=  500 fps=250 q=28.0 size=    1024kB time=00:00:20.00 bitrate= 419.4kbits/s speed=10x");
    EXPECT_EQ(report.Percent(), 20);
    EXPECT_EQ(report.SecondsLeft(2.0), 8); // 20 s of source took 2 s: 80 s more take 8 s
    report.TakeLine("frame= 1000 fps=250 q=28.0 size=    2048kB time=N/A bitrate=N/A speed=N/A");
    EXPECT_EQ(report.Percent(), 20) << "an unreadable time keeps the last one";
    report.TakeLine("size=    4096kB time=01:00:00.00 bitrate= 1.0kbits/s speed=10x");
    EXPECT_EQ(report.Percent(), 100) << "never past the end";
    EXPECT_EQ(report.SecondsLeft(5.0), 0);

    TEncoderReport unknown = ReportOf({"  Duration: N/A, start: 0.000000, bitrate: N/A",
                                       "frame=   25 fps=0.0 q=0.0 size=   1kB time=00:00:01.00 bitrate=N/A"});
    EXPECT_FALSE(unknown.Duration());
    EXPECT_FALSE(unknown.Percent());
    EXPECT_FALSE(unknown.SecondsLeft(1.0));
    EXPECT_DOUBLE_EQ(*unknown.Position(), 1.0);
}

TEST(EncoderReport, ClockTextIsHoursMinutesSeconds)
{
    EXPECT_EQ(ClockText(65), "00:01:05");
    EXPECT_EQ(ClockText(3661), "01:01:01");
    EXPECT_EQ(ClockText(360000), "100:00:00");
    EXPECT_EQ(ClockText(-3), "00:00:00");
}

// Figures far out of range or not numbers at all never overflow into nonsense: past the end is 100 % and no time
// left, an absurd length gives a long but real time left, "inf" is no figure.
TEST(EncoderReport, FiguresOutOfRangeStayWithinTheirBounds)
{
    struct Case {
        const char* duration;
        const char* time;
        std::optional<int> percent;
        std::optional<int64_t> left; // after 10 s
    };
    const Case cases[] = {
        {"00:01:40.00", "10000000000:00:00.00", 100, 0},
        {"99999999999999:00:00.00", "00:00:00.01", 0, int64_t(100) * 365 * 24 * 3600},
        {"00:01:40.00", "00:00:inf", std::nullopt, std::nullopt},
        {"00:00:1e999", "00:00:01.00", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const TEncoderReport report = ReportOf({std::string("  Duration: ") + c.duration + ", start: 0.000000",
                                                std::string("size= 1kB time=") + c.time + " bitrate=N/A"});
        EXPECT_EQ(report.Percent(), c.percent) << c.duration << " " << c.time;
        EXPECT_EQ(report.SecondsLeft(10.0), c.left) << c.duration << " " << c.time;
    }
}
