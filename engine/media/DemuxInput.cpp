#include "engine/media/DemuxInput.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace
{

int Interrupts(void* stop)
{
    return static_cast<const TStopFlag*>(stop)->load() ? 1 : 0;
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

std::string AvErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}
