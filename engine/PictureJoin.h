#pragma once

#include "engine/SplitCuts.h"
#include "toolkit/Exception.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

// Pieces of a picture that cannot be made one: the message says which piece and why.
class EJoinError : public Exception
{
public:
    using Exception::Exception;
};

// The tag under which a piece carries the stamp of the conversion it was made for.
inline constexpr const char* PieceStampKey = "reelhand-pieces";

// Why the picture piece at path (a NUT file the encoder made) is not piece p of the cuts; none when it is: it must
// be readable, hold one picture, carry the stamp (when one is given), and hold exactly the frames the source has
// from its cut up to the next one: as many, from the first one's time to the last one's.
std::optional<std::string> PieceFault(
    const std::string& path, const TSplitCuts& cuts, std::size_t piece, const std::string& stamp);

// Joins the picture pieces, in order, into one NUT file at output without decoding them: every frame keeps its
// time, less the file's start as a whole conversion takes it off, so the joined picture lines up with the sound
// converted from the whole source. Checks every piece as PieceFault does, and that all were encoded alike.
// Throws EJoinError; stops with "Stopped." soon after stop becomes true.
void JoinPictures(const std::vector<std::string>& pieces, const TSplitCuts& cuts, const std::string& stamp,
    const std::string& output, const std::atomic<bool>& stop);
