#pragma once

#include "engine/media/MediaProbe.h"
#include "toolkit/Exception.h"

#include <optional>
#include <string>
#include <vector>

struct TEncoderTask;

// A choice that a catalogue entry's params cannot be reworked for, or a value of a choice that is not one.
class EChoiceError : public Exception
{
public:
    using Exception::Exception;
};

enum class TQualityChoice { AsFormat, Higher, Standard, Smaller };
enum class TSoundChoice { AsFormat, Stereo, Mono };

// What a row asks beyond its format: a largest picture, a quality, a sound layout. Each is "as the format says"
// unless chosen, so that an entry and a list without choices convert as they always did.
struct TEncoderChoices {
    int MaxLines = 0; // the picture's shorter side at most; 0: as the format says
    TQualityChoice Quality = TQualityChoice::AsFormat;
    TSoundChoice Sound = TSoundChoice::AsFormat;

    bool AsFormat() const
    {
        return MaxLines == 0 && Quality == TQualityChoice::AsFormat && Sound == TSoundChoice::AsFormat;
    }
    // Each choice of this that is as the format says takes the other's.
    TEncoderChoices Or(const TEncoderChoices& other) const;
    bool operator==(const TEncoderChoices&) const = default;
};

// The sizes a row can choose, largest first.
inline constexpr int ChoosableLines[] = { 2160, 1440, 1080, 720, 480 };

// The words list files and the command line use: "720", "smaller", "stereo"; empty for "as the format says".
std::string SizeWord(int maxLines);
std::string QualityWord(TQualityChoice quality);
std::string SoundWord(TSoundChoice sound);
// The reverse; an empty word is "as the format says". Throws EChoiceError naming the words there are.
int SizeOfWord(const std::string& word);
TQualityChoice QualityOfWord(const std::string& word);
TSoundChoice SoundOfWord(const std::string& word);

// The choices as a user reads them: "at most 720 lines, smaller files, stereo"; empty when there are none.
std::string ChoicesText(const TEncoderChoices& choices);

// The params, word by word, with the entry's own picture size (-vf scale, -s), quality (-crf, -q:v, -b:v, -q:a,
// -b:a) and channel count (-ac) rewritten for the choices and the source; an option the entry lacks is added,
// never given twice. The picture is never enlarged and keeps its aspect with even sides. Notes get a line where a
// choice changes nothing (a lossless format has no quality to choose). Throws EChoiceError where the params
// cannot be reworked: a fixed frame larger than the size chosen, an encoder the quality table does not know, a
// copy the choice would need converted.
std::vector<std::string> ChosenParams(
    const TEncoderTask& task, const TMediaInfo& source, std::vector<std::string>& notes);

// Why a track the format copies as it is must be converted for the choices ("it has 6 channels, and stereo is
// chosen."); none when the copy meets them. A copy is of the source's own quality, so "higher" keeps it.
std::optional<std::string> PictureCopyRefusal(const TEncoderChoices& choices, const TStreamInfo& picture);
std::optional<std::string> SoundCopyRefusal(const TEncoderChoices& choices, const TStreamInfo& sound);
