#include "engine/plan/ChosenSize.h"

#include "engine/plan/FilterChain.h"
#include "engine/plan/ParamWords.h"

extern "C" {
#include <libavutil/eval.h>
#include <libavutil/parseutils.h>
}

#include <algorithm>
#include <cmath>
#include <optional>

namespace
{

const std::initializer_list<const char*> filterOptions = { "-vf", "-filter:v" };
const std::initializer_list<const char*> sizeOptions = { "-s", "-s:v" };

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

} // namespace

void ChooseSize(std::vector<std::string>& words, int lines, const TStreamInfo& picture, const std::string& encoder)
{
    // The encoder turns a turned picture upright before the filters.
    const bool turned = std::fmod(std::fabs(picture.Rotation), 180) == 90;
    const TFrame in = turned ? TFrame { double(picture.Height), double(picture.Width) }
                             : TFrame { double(picture.Width), double(picture.Height) };
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
