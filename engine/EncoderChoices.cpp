#include "engine/EncoderChoices.h"

#include "engine/DosCommand.h"
#include "engine/EncoderTask.h"
#include "engine/FilterChain.h"
#include "engine/OutputCheck.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/eval.h>
#include <libavutil/parseutils.h>
}

#include <algorithm>
#include <cmath>
#include <initializer_list>

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

// The quality each encoder is asked for: one row per family, the value for higher, standard and smaller. An
// entry that sets a bit rate instead keeps its way and gets its rate scaled by RateFactor.
struct TQualityRow {
    std::initializer_list<const char*> Encoders;
    const char* Option;
    double Values[3];
    bool ZeroRate; // the encoder reads the value as a quality only with the bit rate 0
};

const TQualityRow pictureQuality[] = {
    { { "libx264", "libx264rgb" }, "-crf", { 18, 23, 28 }, false },
    { { "libx265" }, "-crf", { 22, 28, 33 }, false },
    { { "libvpx-vp9", "libaom-av1", "libsvtav1" }, "-crf", { 24, 32, 40 }, true },
    { { "mpeg4", "libxvid", "mpeg1video", "mpeg2video", "msmpeg4", "msmpeg4v2", "flv", "h263", "h263p", "wmv1", "wmv2",
          "mjpeg" },
        "-q:v", { 2, 4, 8 }, false },
    { { "libtheora" }, "-q:v", { 9, 7, 5 }, false },
};

const TQualityRow soundQuality[] = {
    { { "libmp3lame" }, "-q:a", { 2, 4, 6 }, false },
    { { "libvorbis" }, "-q:a", { 6, 4, 2 }, false },
};

constexpr double RateFactor[3] = { 1.5, 1, 0.6 };

// The spellings of one option; an entry may use any.
const std::initializer_list<const char*> pictureCodecOptions = { "-c:v", "-vcodec", "-codec:v" };
const std::initializer_list<const char*> soundCodecOptions = { "-c:a", "-acodec", "-codec:a" };
const std::initializer_list<const char*> anyCodecOptions = { "-c", "-codec" };
const std::initializer_list<const char*> crfOptions = { "-crf", "-qp" };
const std::initializer_list<const char*> pictureScaleOptions = { "-q:v", "-qscale:v", "-q", "-qscale" };
const std::initializer_list<const char*> soundScaleOptions = { "-q:a", "-qscale:a", "-aq" };
const std::initializer_list<const char*> pictureRateOptions = { "-b:v", "-vb" };
const std::initializer_list<const char*> soundRateOptions = { "-b:a", "-ab" };
const std::initializer_list<const char*> filterOptions = { "-vf", "-filter:v" };
const std::initializer_list<const char*> sizeOptions = { "-s", "-s:v" };
const std::initializer_list<const char*> privateOptions
    = { "-x264-params", "-x264opts", "-x265-params", "-svtav1-params", "-aom-params" };

bool Among(const std::string& word, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return word == name; });
}

// Where the value of each option among names stands, in order.
std::vector<std::size_t> ValuesOf(const std::vector<std::string>& words, std::initializer_list<const char*> names)
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (Among(words[i], names))
            at.push_back(++i);
    return at;
}

// Rewrites every option among names to value; an entry without one gets the first spelling.
void SetOption(std::vector<std::string>& words, std::initializer_list<const char*> names, const std::string& value)
{
    const std::vector<std::size_t> at = ValuesOf(words, names);
    for (std::size_t i : at)
        words[i] = value;
    if (at.empty()) {
        words.push_back(*names.begin());
        words.push_back(value);
    }
}

std::string Number(double value)
{
    return std::to_string(std::lround(value));
}

std::optional<double> RateOf(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const std::string unit = end;
    if (end == text.c_str() || value < 0 || (unit != "k" && unit != "M" && !unit.empty()))
        return std::nullopt;
    return value * (unit == "k" ? 1000 : unit == "M" ? 1000000 : 1);
}

// The encoder a kind of track gets: its own codec option, else the one for every track, else the one -target
// implies, else the container's usual one. An encoder given by its codec's name is the codec's usual encoder.
std::string EncoderOf(const std::vector<std::string>& words, bool picture, const std::string& outputName)
{
    std::vector<std::size_t> at = ValuesOf(words, picture ? pictureCodecOptions : soundCodecOptions);
    if (at.empty())
        at = ValuesOf(words, anyCodecOptions);
    std::string name = at.empty() ? std::string() : words[at.back()];
    if (const std::vector<std::size_t> target = ValuesOf(words, { "-target" }); name.empty() && !target.empty()) {
        const std::string& kind = words[target.back()];
        const bool vcd = kind == "vcd" || kind.ends_with("-vcd");
        name = picture ? (vcd ? "mpeg1video" : "mpeg2video") : kind.find("dvd") != std::string::npos ? "ac3" : "mp2";
    }
    if (name == "copy" || (!name.empty() && avcodec_find_encoder_by_name(name.c_str())))
        return name;
    AVCodecID id = AV_CODEC_ID_NONE;
    if (const AVCodecDescriptor* descriptor = name.empty() ? nullptr : avcodec_descriptor_get_by_name(name.c_str()))
        id = descriptor->id;
    else if (const AVOutputFormat* muxer
        = name.empty() ? av_guess_format(nullptr, outputName.c_str(), nullptr) : nullptr)
        id = picture ? muxer->video_codec : muxer->audio_codec;
    const AVCodec* encoder = avcodec_find_encoder(id);
    return encoder ? encoder->name : name;
}

// True for an encoder that keeps everything exactly (FLAC, PCM, GIF's palette pictures): it has no quality.
bool Lossless(const std::string& encoder)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    const AVCodecDescriptor* descriptor = codec ? avcodec_descriptor_get(codec->id) : nullptr;
    return descriptor && (descriptor->props & AV_CODEC_PROP_LOSSLESS) && !(descriptor->props & AV_CODEC_PROP_LOSSY);
}

template <std::size_t N> const TQualityRow* RowOf(const TQualityRow (&table)[N], const std::string& encoder)
{
    for (const TQualityRow& row : table)
        if (Among(encoder, row.Encoders))
            return &row;
    return nullptr;
}

std::string QualityText(TQualityChoice quality)
{
    return Named(qualityNames, int(quality))->Text;
}

EChoiceError CannotApply(const std::string& choice, const std::string& why)
{
    return EChoiceError("The choice \"" + choice + "\" cannot be applied to this format: " + why);
}

// Sets the picture's quality; false when the encoder has none.
bool ChoosePictureQuality(std::vector<std::string>& words, TQualityChoice quality, const std::string& encoder)
{
    const int level = int(quality) - 1;
    if (encoder == "copy") {
        if (quality == TQualityChoice::Higher)
            return true;
        throw CannotApply(QualityText(quality), "it copies the picture as it is.");
    }
    for (std::size_t i : ValuesOf(words, privateOptions))
        for (const char* key : { "crf=", "qp=", "bitrate=" })
            if (words[i].find(key) != std::string::npos)
                throw CannotApply(QualityText(quality), "its quality is set inside " + words[i - 1] + ".");
    const TQualityRow* row = RowOf(pictureQuality, encoder);
    if (!row) {
        if (Lossless(encoder))
            return false;
        throw CannotApply(
            QualityText(quality), "its picture encoder " + encoder + " is not one whose quality the program knows.");
    }
    const bool crf = std::string(row->Option) == "-crf";
    const std::initializer_list<const char*>& own = crf ? crfOptions : pictureScaleOptions;
    const std::vector<std::size_t> rates = ValuesOf(words, pictureRateOptions);
    if (ValuesOf(words, own).empty() && !rates.empty() && !row->ZeroRate) {
        for (std::size_t i : rates)
            if (const std::optional<double> rate = RateOf(words[i]))
                words[i] = Number(*rate * RateFactor[level] / 1000) + "k";
        return true;
    }
    SetOption(words, own, Number(row->Values[level]));
    if (row->ZeroRate)
        SetOption(words, pictureRateOptions, "0");
    return true;
}

// Sets the sound's quality; false when the encoder has none.
bool ChooseSoundQuality(std::vector<std::string>& words, TQualityChoice quality, const std::string& encoder)
{
    const int level = int(quality) - 1;
    if (encoder == "copy" || Lossless(encoder))
        return false;
    const TQualityRow* row = RowOf(soundQuality, encoder);
    if (row && !ValuesOf(words, soundScaleOptions).empty()) {
        SetOption(words, soundScaleOptions, Number(row->Values[level]));
        return true;
    }
    bool scaled = false;
    for (std::size_t i : ValuesOf(words, soundRateOptions))
        if (const std::optional<double> rate = RateOf(words[i])) {
            words[i] = Number(*rate * RateFactor[level] / 1000) + "k";
            scaled = true;
        }
    if (!scaled && row)
        SetOption(words, soundScaleOptions, Number(row->Values[level]));
    return scaled || row;
}

struct TFrame {
    double Width = 0;
    double Height = 0;
};

const char* const frameNames[] = { "in_w", "iw", "in_h", "ih", "out_w", "ow", "out_h", "oh", "a", "sar", "dar", "hsub",
    "vsub", "ohsub", "ovsub", "x", "y", nullptr };

std::optional<double> Evaluate(const std::string& expression, const TFrame& in, const TFrame& out)
{
    const double aspect = in.Width / in.Height;
    const double values[] = { in.Width, in.Width, in.Height, in.Height, out.Width, out.Width, out.Height, out.Height,
        aspect, 1, aspect, 2, 2, 2, 2, 0, 0 };
    double result = 0;
    if (av_expr_parse_and_eval(
            &result, expression.c_str(), frameNames, values, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr)
        < 0)
        return std::nullopt;
    return result;
}

// The width and height options of a scale or pad filter, by name or by position; "size" given as "640x480".
struct TSizeOptions {
    std::string Width = "iw";
    std::string Height = "ih";
    std::vector<std::string> Others; // every other option, as written
    std::string Keep; // force_original_aspect_ratio
};

TSizeOptions SizeOptionsOf(const TFilterText& filter)
{
    TSizeOptions size;
    for (std::size_t i = 0; i < filter.Options.size(); ++i) {
        const std::string name = OptionName(filter.Options[i]);
        const std::string value = OptionValue(filter.Options[i]);
        if (name == "w" || name == "width" || (name.empty() && i == 0))
            size.Width = value;
        else if (name == "h" || name == "height" || (name.empty() && i == 1))
            size.Height = value;
        else if (name == "s" || name == "size") {
            int width = 0, height = 0;
            if (av_parse_video_size(&width, &height, value.c_str()) < 0)
                throw EChoiceError("its filter " + filter.Name + " has a size \"" + value + "\" that cannot be read.");
            size.Width = std::to_string(width);
            size.Height = std::to_string(height);
        } else {
            if (name == "force_original_aspect_ratio")
                size.Keep = value;
            size.Others.push_back(filter.Options[i]);
        }
    }
    return size;
}

// What a scale filter makes of a picture, as the encoder works it out: a width or height of 0 is the input's, a
// negative one follows the aspect, rounded to a multiple of its magnitude.
TFrame ScaledFrame(const TFilterText& filter, const TFrame& in)
{
    const TSizeOptions size = SizeOptionsOf(filter);
    TFrame out { NAN, NAN };
    out.Width = Evaluate(size.Width, in, out).value_or(NAN);
    const std::optional<double> height = Evaluate(size.Height, in, out);
    out.Height = height.value_or(NAN);
    const std::optional<double> width = Evaluate(size.Width, in, out);
    if (!width || !height)
        throw EChoiceError("its scale filter's size (" + size.Width + ":" + size.Height + ") cannot be worked out.");
    double w = std::trunc(*width) == 0 ? in.Width : std::trunc(*width);
    double h = std::trunc(*height) == 0 ? in.Height : std::trunc(*height);
    const double stepW = w < -1 ? -w : 1, stepH = h < -1 ? -h : 1;
    if (w < 0 && h < 0)
        return in;
    if (w < 0)
        w = std::round(h * in.Width / (in.Height * stepW)) * stepW;
    if (h < 0)
        h = std::round(w * in.Height / (in.Width * stepH)) * stepH;
    if (!size.Keep.empty() && size.Keep != "disable" && size.Keep != "0") {
        const double wide = std::round(h * in.Width / in.Height), tall = std::round(w * in.Height / in.Width);
        const bool decrease = size.Keep == "decrease" || size.Keep == "1";
        w = decrease ? std::min(wide, w) : std::max(wide, w);
        h = decrease ? std::min(tall, h) : std::max(tall, h);
    }
    return { w, h };
}

// What a pad filter makes of a picture: its frame, or the input's side where it gives 0.
TFrame PaddedFrame(const TFilterText& filter, const TFrame& in)
{
    const TSizeOptions size = SizeOptionsOf(filter);
    const double w = Evaluate(size.Width, in, { NAN, NAN }).value_or(0);
    const double h = Evaluate(size.Height, in, { NAN, NAN }).value_or(0);
    return { w > 0 ? w : in.Width, h > 0 ? h : in.Height };
}

// Filters that change the picture's size in ways a size choice cannot follow.
const std::initializer_list<const char*> otherSizers
    = { "crop", "transpose", "rotate", "zscale", "scale2ref", "tile", "zoompan", "hstack", "vstack", "xstack" };

std::string FrameText(const TFrame& frame)
{
    return Number(frame.Width) + "x" + Number(frame.Height);
}

double Even(double value)
{
    return std::max(2.0, 2 * std::round(value / 2));
}

// Limits the picture's shorter side to lines, rewriting the entry's own scale (its -s, else the scale filter of its
// -vf, else a scale filter of its own at the chain's start).
void ChooseSize(std::vector<std::string>& words, int lines, TFrame in, const std::string& encoder)
{
    const std::string choice = "at most " + std::to_string(lines) + " lines";
    const std::vector<std::size_t> chains = ValuesOf(words, filterOptions);
    if (chains.size() > 1)
        throw CannotApply(choice, "it gives its picture filters twice.");
    std::vector<TFilterText> filters;
    if (!chains.empty()) {
        std::optional<std::vector<TFilterText>> split = SplitFilterChain(words[chains.front()]);
        if (!split)
            throw CannotApply(choice, "its picture filters are more than one chain.");
        filters = std::move(*split);
    }
    TFrame frame = in;
    std::optional<std::size_t> scale;
    std::string fixed;
    try {
        for (std::size_t i = 0; i < filters.size(); ++i) {
            const TFilterText& filter = filters[i];
            if (filter.Name == "scale") {
                if (scale)
                    throw EChoiceError("it scales its picture twice.");
                scale = i;
                frame = ScaledFrame(filter, frame);
            } else if (filter.Name == "pad") {
                const TFrame padded = PaddedFrame(filter, frame);
                // A pad that makes the same frame of a picture half the size is a fixed frame.
                const TFrame half = PaddedFrame(filter, { frame.Width / 2, frame.Height / 2 });
                if (half.Width == padded.Width && half.Height == padded.Height)
                    fixed = "it pads every picture to a frame of " + FrameText(padded) + ".";
                frame = padded;
            } else if (Among(filter.Name, otherSizers)) {
                throw EChoiceError("its " + filter.Name + " filter changes the picture's size in its own way.");
            }
        }
    } catch (const EChoiceError& error) {
        throw CannotApply(choice, error.Message());
    }
    const std::vector<std::size_t> sizes = ValuesOf(words, sizeOptions);
    if (!sizes.empty()) {
        int width = 0, height = 0;
        if (av_parse_video_size(&width, &height, words[sizes.back()].c_str()) < 0)
            throw CannotApply(choice, "its size " + words[sizes.back()] + " cannot be read.");
        frame = { double(width), double(height) };
        fixed.clear();
    }
    const double shorter = std::min(frame.Width, frame.Height);
    if (shorter <= lines)
        return;
    if (!fixed.empty())
        throw CannotApply(choice, fixed);
    if (encoder == "copy")
        throw CannotApply(choice, "it copies the picture as it is.");
    const double factor = lines / shorter;
    const TFrame wanted { Even(frame.Width * factor), Even(frame.Height * factor) };
    if (!sizes.empty()) {
        for (std::size_t i : sizes)
            words[i] = FrameText(wanted);
        return;
    }
    TFilterText scaled { "", "scale", { Number(wanted.Width), Number(wanted.Height) }, "" };
    if (scale) {
        const TSizeOptions size = SizeOptionsOf(filters[*scale]);
        scaled.Inputs = filters[*scale].Inputs;
        scaled.Outputs = filters[*scale].Outputs;
        for (const std::string& other : size.Others)
            if (OptionName(other) != "force_original_aspect_ratio" && OptionName(other) != "force_divisible_by")
                scaled.Options.push_back(other);
        filters[*scale] = scaled;
    } else if (!filters.empty() && !filters.front().Inputs.empty()) {
        throw CannotApply(choice, "its picture filters begin with a label.");
    } else {
        filters.insert(filters.begin(), scaled);
    }
    if (chains.empty()) {
        words.push_back("-vf");
        words.push_back(JoinFilterChain(filters));
    } else {
        words[chains.front()] = JoinFilterChain(filters);
    }
}

// The first moving picture as the filters see it: the encoder turns a turned picture upright before them.
std::optional<TFrame> PictureFrame(const TMediaInfo& source)
{
    for (const TStreamInfo& stream : source.Streams)
        if (stream.Kind == TStreamKind::Video && !stream.AttachedPicture && stream.Width > 0 && stream.Height > 0) {
            const bool turned = std::fmod(std::fabs(stream.Rotation), 180) == 90;
            return turned ? TFrame { double(stream.Height), double(stream.Width) }
                          : TFrame { double(stream.Width), double(stream.Height) };
        }
    return std::nullopt;
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
    std::vector<std::string> words = SplitCommandLine(task.Params);
    const TEncoderChoices& choices = task.Choices;
    if (choices.AsFormat())
        return words;
    const TFormatStreams keeps = FormatStreamsOf(task.Params);
    const std::optional<TFrame> frame = keeps.KeepsPicture ? PictureFrame(source) : std::nullopt;
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
