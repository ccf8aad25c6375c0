#include "engine/plan/EncoderChoices.h"

#include "engine/plan/ChosenQuality.h"
#include "engine/plan/ChosenSize.h"
#include "engine/DosCommand.h"
#include "engine/plan/EncoderTask.h"
#include "engine/plan/FormatParams.h"
#include "engine/plan/ParamWords.h"

#include <algorithm>

namespace
{

struct TNamedChoice {
    int Value;
    const char* Word;
    const char* Text;
};

const TNamedChoice qualityNames[] = {
    { int(TQualityChoice::Higher), "higher", "higher quality" },
    { int(TQualityChoice::Standard), "standard", "standard quality" },
    { int(TQualityChoice::Smaller), "smaller", "smaller files" },
};

const TNamedChoice soundNames[] = {
    { int(TSoundChoice::Stereo), "stereo", "stereo" },
    { int(TSoundChoice::Mono), "mono", "mono" },
};

template <std::size_t N> const TNamedChoice* Named(const TNamedChoice (&names)[N], int value)
{
    for (const TNamedChoice& name : names)
        if (name.Value == value)
            return &name;
    return nullptr;
}

template <std::size_t N> int ValueOfWord(const TNamedChoice (&names)[N], const std::string& word, const char* what)
{
    if (word.empty())
        return 0;
    std::string known;
    for (const TNamedChoice& name : names) {
        if (word == name.Word)
            return name.Value;
        known += std::string(known.empty() ? "" : ", ") + name.Word;
    }
    throw EChoiceError("'" + word + "' is no " + what + "; there are " + known + ".");
}

std::string QualityText(TQualityChoice quality)
{
    return Named(qualityNames, int(quality))->Text;
}

// The first moving picture with a size.
const TStreamInfo* FirstPicture(const TMediaInfo& source)
{
    for (const TStreamInfo& stream : source.Streams)
        if (stream.Kind == TStreamKind::Video && !stream.AttachedPicture && stream.Width > 0 && stream.Height > 0)
            return &stream;
    return nullptr;
}

bool ChangesChannels(TSoundChoice sound, const TStreamInfo& track)
{
    return sound != TSoundChoice::AsFormat && track.Channels != (sound == TSoundChoice::Stereo ? 2 : 1);
}

} // namespace

TEncoderChoices TEncoderChoices::Or(const TEncoderChoices& other) const
{
    return { MaxLines ? MaxLines : other.MaxLines, Quality != TQualityChoice::AsFormat ? Quality : other.Quality,
        Sound != TSoundChoice::AsFormat ? Sound : other.Sound };
}

std::string SizeWord(int maxLines)
{
    return maxLines ? std::to_string(maxLines) : std::string();
}

std::string QualityWord(TQualityChoice quality)
{
    const TNamedChoice* name = Named(qualityNames, int(quality));
    return name ? name->Word : "";
}

std::string SoundWord(TSoundChoice sound)
{
    const TNamedChoice* name = Named(soundNames, int(sound));
    return name ? name->Word : "";
}

int SizeOfWord(const std::string& word)
{
    std::string known;
    for (int lines : ChoosableLines) {
        if (word == std::to_string(lines))
            return lines;
        known += (known.empty() ? "" : ", ") + std::to_string(lines);
    }
    if (word.empty())
        return 0;
    throw EChoiceError("'" + word + "' is no size; there are " + known + " (lines at most).");
}

TQualityChoice QualityOfWord(const std::string& word)
{
    return TQualityChoice(ValueOfWord(qualityNames, word, "quality"));
}

TSoundChoice SoundOfWord(const std::string& word)
{
    return TSoundChoice(ValueOfWord(soundNames, word, "sound"));
}

std::string ChoicesText(const TEncoderChoices& choices)
{
    std::string text = choices.MaxLines ? "at most " + std::to_string(choices.MaxLines) + " lines" : "";
    if (const TNamedChoice* quality = Named(qualityNames, int(choices.Quality)))
        text += (text.empty() ? "" : ", ") + std::string(quality->Text);
    if (const TNamedChoice* sound = Named(soundNames, int(choices.Sound)))
        text += (text.empty() ? "" : ", ") + std::string(sound->Text);
    return text;
}

std::vector<std::string> ChosenParams(
    const TEncoderTask& task, const TMediaInfo& source, std::vector<std::string>& notes)
{
    const TFormatParams params = TFormatParams::Of(task.Params);
    std::vector<std::string> words = params.Words();
    const TEncoderChoices& choices = task.Choices;
    if (choices.AsFormat())
        return words;
    const TFormatStreams keeps = params.StreamsFor(source);
    const TStreamInfo* frame = keeps.KeepsPicture ? FirstPicture(source) : nullptr;
    const bool sound = keeps.KeepsSound && source.HasSound();
    const std::string pictureEncoder = frame ? EncoderOf(words, true, task.OutputName) : "";
    const std::string soundEncoder = sound ? EncoderOf(words, false, task.OutputName) : "";
    if (frame && choices.MaxLines)
        ChooseSize(words, choices.MaxLines, *frame, pictureEncoder);
    if (choices.Quality != TQualityChoice::AsFormat) {
        const bool picture = frame && ChoosePictureQuality(words, choices.Quality, pictureEncoder);
        if (!(sound && ChooseSoundQuality(words, choices.Quality, soundEncoder)) && !picture)
            notes.push_back("The choice \"" + QualityText(choices.Quality)
                + "\" changes nothing: this format keeps everything exactly.");
    }
    if (sound && choices.Sound != TSoundChoice::AsFormat) {
        if (soundEncoder == "copy"
            && std::any_of(source.Streams.begin(), source.Streams.end(), [&](const TStreamInfo& track) {
                   return track.Kind == TStreamKind::Audio && ChangesChannels(choices.Sound, track);
               }))
            throw CannotApply(SoundWord(choices.Sound), "it copies the sound as it is.");
        SetOption(words, { "-ac" }, choices.Sound == TSoundChoice::Stereo ? "2" : "1");
    }
    return words;
}

std::optional<std::string> PictureCopyRefusal(const TEncoderChoices& choices, const TStreamInfo& picture)
{
    if (choices.MaxLines && std::min(picture.Width, picture.Height) > choices.MaxLines)
        return "it has " + std::to_string(std::min(picture.Width, picture.Height)) + " lines, and at most "
            + std::to_string(choices.MaxLines) + " are chosen.";
    if (choices.Quality == TQualityChoice::Standard || choices.Quality == TQualityChoice::Smaller)
        return "\"" + QualityText(choices.Quality) + "\" is chosen.";
    return std::nullopt;
}

std::optional<std::string> SoundCopyRefusal(const TEncoderChoices& choices, const TStreamInfo& sound)
{
    if (!ChangesChannels(choices.Sound, sound))
        return std::nullopt;
    return "it has " + std::to_string(sound.Channels) + " channels, and " + SoundWord(choices.Sound) + " is chosen.";
}
