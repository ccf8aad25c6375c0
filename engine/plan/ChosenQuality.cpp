#include "engine/plan/ChosenQuality.h"

#include "engine/plan/ParamWords.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdlib>
#include <optional>

namespace
{

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
const std::initializer_list<const char*> privateOptions
    = { "-x264-params", "-x264opts", "-x265-params", "-svtav1-params", "-aom-params" };

std::optional<double> RateOf(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const std::string unit = end;
    if (end == text.c_str() || value < 0 || (unit != "k" && unit != "M" && !unit.empty()))
        return std::nullopt;
    return value * (unit == "k" ? 1000 : unit == "M" ? 1000000 : 1);
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

} // namespace

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

bool ChoosePictureQuality(std::vector<std::string>& words, TQualityChoice quality, const std::string& encoder)
{
    const int level = int(quality) - 1;
    if (encoder == "copy") {
        if (quality == TQualityChoice::Higher)
            return true;
        throw CannotApply(ChoicesText({ 0, quality }), "it copies the picture as it is.");
    }
    for (std::size_t i : ValuesOf(words, privateOptions))
        for (const char* key : { "crf=", "qp=", "bitrate=" })
            if (words[i].find(key) != std::string::npos)
                throw CannotApply(ChoicesText({ 0, quality }), "its quality is set inside " + words[i - 1] + ".");
    const TQualityRow* row = RowOf(pictureQuality, encoder);
    if (!row) {
        if (Lossless(encoder))
            return false;
        throw CannotApply(ChoicesText({ 0, quality }),
            "its picture encoder " + encoder + " is not one whose quality the program knows.");
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
