#pragma once

#include "engine/plan/FormatParams.h"
#include "engine/media/MediaProbe.h"

#include <optional>
#include <string>
#include <vector>

// Why a source cannot be converted to the format at all, in words a user can act on; none when it can.
std::optional<std::string> SourceRefusal(const TMediaInfo& source, const TFormatStreams& format);

// Why a source that was read to its end is not whole: its packets end well before the length its header claims, as
// a file cut short or still downloading does. None when it is whole or was not read to its end.
std::optional<std::string> SourceFault(const TMediaInfo& source);

// A line for the row's properties when the source's lengths are only guesses, so the output's are not compared with
// them.
std::optional<std::string> UncheckedLengthNote(const TMediaInfo& source);

// Why the file the encoder finished at output is not a whole conversion of the source's tracks (the encoder's
// tracks, in its order); none when it is. The output is read to its end, packets only. Each track must be there and
// match its own source track at both ends: where it begins from the first of the file's picture and sound tracks,
// within three frames or audio frames of the file's coarsest step, and its length as well (a sound track's within
// three of its own); no gap longer than its source's by as much; and a copied track as many packets as its
// source's, within three. A source that begins between key frames may be matched from its first key frame on
// instead. Subtitles match by their length or their end. Throws EReadStopped once stop is set.
std::optional<std::string> OutputFault(const TMediaInfo& source, const std::vector<TMappedTrack>& tracks,
    const std::string& output, const TStopFlag* stop = nullptr);
