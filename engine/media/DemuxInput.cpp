#include "engine/media/DemuxInput.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
#include <libavutil/mem.h>
}

#include <array>
#include <mutex>

namespace
{

int Interrupts(void* stop)
{
    return static_cast<const TStopFlag*>(stop)->load() ? 1 : 0;
}

// Demuxers that open what the file names: they would read any file the user can, or the network, into an output.
constexpr std::array<const char*, 11> Referring = { "hls", "concat", "dash", "sdp", "rtp", "rtsp", "imf",
    "webm_dash_manifest", "avisynth", "vapoursynth", "vobsub" };

// Every demuxer of the library but those, as the library's list of names.
const std::string& MediaDemuxers()
{
    static std::once_flag made;
    static std::string names;
    std::call_once(made, [] {
        void* at = nullptr;
        while (const AVInputFormat* format = av_demuxer_iterate(&at)) {
            const std::string name = format->name;
            bool refers = false;
            for (const char* referring : Referring)
                refers = refers || av_match_name(referring, name.c_str());
            if (!refers)
                names += (names.empty() ? "" : ",") + name;
        }
    });
    return names;
}

} // namespace

TDemuxInput::TDemuxInput()
    : Context(avformat_alloc_context())
{
}

TDemuxInput::~TDemuxInput()
{
    avformat_close_input(&Context);
}

void TDemuxInput::StopWith(const TStopFlag* stop)
{
    if (Context && stop)
        Context->interrupt_callback = { &Interrupts, const_cast<TStopFlag*>(stop) };
}

bool TDemuxInput::OnlyMediaDemuxers()
{
    if (!Context)
        return false;
    Context->format_whitelist = av_strdup(MediaDemuxers().c_str());
    return Context->format_whitelist != nullptr;
}

bool RefusedDemuxer(const std::string& complaint)
{
    return complaint.starts_with("Format ") && complaint.find(" not on whitelist") != std::string::npos;
}

std::string AvErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}
