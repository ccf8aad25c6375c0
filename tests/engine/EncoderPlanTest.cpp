// What a catalogue entry's plan asks of the encoder for sources the generated clips cannot show: bit rates,
// custom catalogues in the old form and plans that cannot be followed.
#include "engine/plan/EncoderPlan.h"

#include "engine/DosCommand.h"

#include <gtest/gtest.h>

namespace
{

TStreamInfo Sound(int channels, const char* codec = "pcm_s16le")
{
    TStreamInfo stream;
    stream.Kind = TStreamKind::Audio;
    stream.Codec = codec;
    stream.Channels = channels;
    return stream;
}

TStreamInfo Subtitles(const char* codec, bool text)
{
    TStreamInfo stream;
    stream.Kind = TStreamKind::Subtitle;
    stream.Codec = codec;
    stream.TextSubtitle = text;
    return stream;
}

struct Case {
    const char* Plan;
    const char* Params;
    std::vector<TStreamInfo> Streams;
    std::string Expected; // the planned params as the runner shows them, or the start of the error's message
    size_t Notes = 0;
};

const Case cases[] = {
    { "", "-map 0:a:0? -vf scale=2:2 -b:a 160k", { Sound(6) }, "-map 0:a:0? -vf scale=2:2 -b:a 160k" },
    { " \n ", "-map 0:a:0 -c:a aac", { Sound(6) }, "-map 0:a:0 -c:a aac" },
    // The rate in the params is for stereo; mono gets half, 5.1 three times as much; -ac sets the count.
    { "surround tracks", "-map 0:a:0 -c:a aac -b:a 160k", { Sound(1), Sound(6) },
        "-c:a aac -b:a 160k -map 0:0 -disposition:a:0 -default-forced -b:a:0 80000 -map 0:1 -disposition:a:1 "
        "-default-forced -b:a:1 480000" },
    { "surround", "-c:a aac -b:a 128k -ac 2", { Sound(6) },
        "-c:a aac -b:a 128k -ac 2 -map 0:0 -disposition:a:0 -default-forced -b:a:0 128000" },
    { "copy surround tracks", "-af volume=2 -b:a 160k", { Sound(6, "aac"), Sound(2) },
        "-b:a 160k -map 0:0 -disposition:a:0 -default-forced -c:a:0 copy -map 0:1 -disposition:a:1 -default-forced "
        "-filter:a:1 volume=2 -b:a:1 160000" },
    { "tracks", "-c:a aac", { Sound(2), Subtitles("hdmv_pgs_subtitle", false), Subtitles("ass", true) },
        "-c:a aac -map 0:0 -disposition:a:0 -default-forced -map 0:2 -disposition:s:0 -default-forced -c:s:0 mov_text",
        2 },
    { "tracks loud", "-c:a aac", { Sound(2) }, "The format's plan word \"loud\" is unknown" },
    { "progressive", "-filter_complex [0:v]null", { Sound(2) }, "A format with a plan cannot use -filter_complex" },
};

TEST(EncoderPlan, AskTheEncoderForWhatTheEntrySays)
{
    for (const Case& test : cases) {
        TEncoderTask task;
        task.Params = test.Params;
        task.Plan = test.Plan;
        task.OutputName = "clip.mp4";
        TMediaInfo source;
        source.Streams = test.Streams;
        SCOPED_TRACE(std::string(test.Plan) + " / " + test.Params);
        try {
            const TEncoderPlan plan = PlanEncoding(task, source);
            EXPECT_EQ(JoinCommandLine(plan.Arguments), test.Expected);
            EXPECT_EQ(plan.Notes.size(), test.Notes);
        } catch (const EPlanError& error) {
            EXPECT_TRUE(error.Message().starts_with(test.Expected)) << error.Message();
        }
    }
}

} // namespace
