#pragma once

#include "engine/MediaProbe.h"

#include <optional>
#include <string>

// Which tracks a format's encoder parameters take from a source: a picture and sound are kept unless the
// parameters leave them out (-vn, -an, or -map options that name neither), and needed when a -map names them
// without the trailing '?' that makes them optional.
struct TFormatStreams {
    bool KeepsPicture = true;
    bool KeepsSound = true;
    bool NeedsPicture = false;
    bool NeedsSound = false;
};

TFormatStreams FormatStreamsOf(const std::string& params);

// Why a source cannot be converted to the format at all, in words a user can act on; none when it can.
std::optional<std::string> SourceRefusal(const TMediaInfo& source, const TFormatStreams& format);

// Why the file the encoder finished at output is not a whole conversion of the source; none when it is. It must
// be readable by the demuxer, have a picture and sound where the source has them and the format keeps them,
// and last as long as the source within half a second or 2 %, whichever is more, where both lengths are known.
std::optional<std::string> OutputFault(
    const TMediaInfo& source, const TFormatStreams& format, const std::string& output);
