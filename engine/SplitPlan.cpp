#include "engine/SplitPlan.h"

#include "engine/Containers.h"
#include "engine/PictureJoin.h"

#include <algorithm>
#include <array>

namespace
{

// The encoders whose pieces join into one stream: each piece starts with a keyframe that carries or repeats what
// a decoder needs, and pieces encoded alike carry the same.
constexpr std::array joinable
    = { "libx264", "libx265", "libvpx-vp9", "libaom-av1", "libsvtav1", "librav1e", "mpeg4", "mpeg2video" };
// Options that change which frames there are: the pieces would each do it on their own and the join would show it.
constexpr std::array rateOptions
    = { "-r", "-r:v", "-target", "-vsync", "-fps_mode", "-frames:v", "-vframes", "-t", "-to", "-ss", "-itsoffset" };
constexpr std::array globalOptions = { "-nostdin", "-n", "-y", "-hide_banner" };
constexpr std::array containerOptions
    = { "-movflags", "-brand", "-f", "-write_tmcd", "-cluster_size_limit", "-reserve_index_space", "-dash" };

template <std::size_t N> bool Among(const std::array<const char*, N>& names, const std::string& word)
{
    return std::find_if(names.begin(), names.end(), [&](const char* name) { return word == name; }) != names.end();
}

// The picture's encoder the general options name.
std::string PictureEncoder(const std::vector<std::string>& general)
{
    std::string encoder;
    for (std::size_t i = 0; i + 1 < general.size(); ++i)
        if (general[i] == "-c:v" || general[i] == "-vcodec" || general[i] == "-codec:v")
            encoder = general[i + 1];
    return encoder;
}

bool ChangesRate(const TEncoderPlan& plan)
{
    const auto rate = [](const std::string& word) { return Among(rateOptions, word); };
    return std::any_of(plan.General.begin(), plan.General.end(), rate)
        || std::any_of(plan.Picture.begin(), plan.Picture.end(), rate)
        || plan.PictureFilter.find("fps=") != std::string::npos
        || plan.PictureFilter.find("framerate") != std::string::npos
        || plan.PictureFilter.find("send_field") != std::string::npos
        // Frames counted anew from each piece's start would start every piece at zero.
        || plan.PictureFilter.find("setpts=") != std::string::npos;
}

} // namespace

std::optional<std::string> SplitRefusal(const TEncoderTask& task, const TEncoderPlan& plan)
{
    if (plan.PictureTrack < 0)
        return "it has no picture to convert";
    if (plan.PictureCopied)
        return "its picture is copied as it is";
    const std::string encoder = PictureEncoder(plan.General);
    if (!Among(joinable, encoder))
        return "the picture's encoder " + (encoder.empty() ? std::string("(none named)") : encoder)
            + " makes no streams that can be joined";
    // Only a container that keeps each frame's own time keeps the joined frames at the source's.
    if (!ContainerOf(task.OutputName).Timed)
        return "its container does not keep each frame's time";
    if (ChangesRate(plan))
        return "its format changes the frame rate";
    return std::nullopt;
}

TSplitSteps::TSplitSteps(const std::string& encoder, const TEncoderTask& task, const TEncoderPlan& plan,
    TSplitCuts cuts, std::string folder, int pieceThreads, std::string stamp)
    : m_encoder(encoder)
    , m_source(task.Source)
    , m_cuts(std::move(cuts))
    , m_folder(std::move(folder))
    , m_ext(ExtensionOf(task.OutputName))
    , m_input(plan.InputOptions)
    , m_pictureFilter(plan.PictureFilter)
    , m_stamp(std::move(stamp))
{
    const auto threadsWord
        = [](const std::string& word) { return word == "-threads" || word.starts_with("-threads:"); };
    if (std::none_of(plan.General.begin(), plan.General.end(), threadsWord)
        && std::none_of(plan.Picture.begin(), plan.Picture.end(), threadsWord))
        m_pieceThreads = pieceThreads;
    for (std::size_t i = 0; i < plan.General.size(); ++i) {
        const std::string& word = plan.General[i];
        const bool hasValue = i + 1 < plan.General.size();
        if (Among(globalOptions, word)) {
            m_global.push_back(word);
        } else if (word == "-loglevel" || word == "-v") {
            m_global.insert(m_global.end(), { word, hasValue ? plan.General[++i] : "" });
        } else if (Among(containerOptions, word) && hasValue) {
            m_container.insert(m_container.end(), { word, plan.General[++i] });
        } else {
            m_encoding.push_back(word);
        }
    }
    for (std::size_t i = 0; i + 1 < plan.Picture.size(); i += 2) {
        std::vector<std::string>& into = plan.Picture[i].starts_with("-tag:") ? m_pictureTags : m_picture;
        into.insert(into.end(), { plan.Picture[i], plan.Picture[i + 1] });
    }
    // The container's flags among the rest's go to every file in the output's container.
    for (std::size_t i = 0; i < plan.Rest.size(); ++i) {
        if (Among(containerOptions, plan.Rest[i]) && i + 1 < plan.Rest.size())
            m_container.insert(m_container.end(), { plan.Rest[i], plan.Rest[++i] });
        else
            m_rest.push_back(plan.Rest[i]);
    }
    m_hasRest = std::find(m_rest.begin(), m_rest.end(), "-map") != m_rest.end();
}

std::string TSplitSteps::PiecePath(std::size_t piece) const
{
    return m_folder + "piece-" + std::to_string(piece + 1) + ".nut";
}

std::string TSplitSteps::RestPath() const
{
    return m_folder + "rest." + m_ext;
}

std::string TSplitSteps::JoinedPath() const
{
    return m_folder + "picture.nut";
}

std::vector<std::string> TSplitSteps::PieceArguments(std::size_t piece, const std::string& output) const
{
    std::vector<std::string> arguments { m_encoder };
    arguments.insert(arguments.end(), m_global.begin(), m_global.end());
    // The source's own times all through: the cuts are given in them, and the join keeps them.
    arguments.push_back("-copyts");
    if (piece > 0)
        arguments.insert(arguments.end(),
            { "-noaccurate_seek", "-seek_timestamp", "1", "-ss",
                std::to_string(m_cuts.SeekMicroseconds(piece)) + "us" });
    arguments.insert(arguments.end(), m_input.begin(), m_input.end());
    arguments.insert(arguments.end(), { "-i", m_source });
    arguments.insert(arguments.end(), m_encoding.begin(), m_encoding.end());
    arguments.insert(arguments.end(), m_picture.begin(), m_picture.end());
    // The frames of the piece are picked first, in the source's clock, before any filter could change it.
    std::string filter = m_cuts.Trim(piece);
    if (!m_pictureFilter.empty())
        filter += (filter.empty() ? "" : ",") + m_pictureFilter;
    if (!filter.empty())
        arguments.insert(arguments.end(), { "-filter:v:0", filter });
    // Encoders side by side that each start a thread per processor fight over them; a share each runs faster.
    if (m_pieceThreads > 0)
        arguments.insert(arguments.end(), { "-threads:v:0", std::to_string(m_pieceThreads) });
    // A piece is picture only: chapters and tags come with the rest, and a chapter's time copied into a piece
    // whose times are the source's own would throw its frames' times off.
    arguments.insert(arguments.end(), { "-map_chapters", "-1", "-map_metadata", "-1" });
    if (!m_stamp.empty())
        arguments.insert(arguments.end(), { "-metadata", std::string(PieceStampKey) + "=" + m_stamp });
    // Every frame with its own time, none added or dropped, on the source's clock; the first piece's decoding
    // times before zero are not shifted into its frames' times.
    arguments.insert(arguments.end(),
        { "-fps_mode", "passthrough", "-enc_time_base:v", "-1", "-avoid_negative_ts", "disabled", output });
    return arguments;
}

std::vector<std::string> TSplitSteps::RestArguments(const std::string& output) const
{
    std::vector<std::string> arguments { m_encoder };
    arguments.insert(arguments.end(), m_global.begin(), m_global.end());
    arguments.insert(arguments.end(), m_input.begin(), m_input.end());
    arguments.insert(arguments.end(), { "-i", m_source });
    arguments.insert(arguments.end(), m_encoding.begin(), m_encoding.end());
    arguments.insert(arguments.end(), m_container.begin(), m_container.end());
    arguments.insert(arguments.end(), m_rest.begin(), m_rest.end());
    arguments.push_back(output);
    return arguments;
}

std::vector<std::string> TSplitSteps::MuxArguments(const std::string& output) const
{
    std::vector<std::string> arguments { m_encoder };
    arguments.insert(arguments.end(), m_global.begin(), m_global.end());
    // Both files already share the whole conversion's clock.
    arguments.insert(arguments.end(), { "-copyts", "-i", JoinedPath(), "-i", m_hasRest ? RestPath() : m_source });
    arguments.insert(arguments.end(), { "-map", "0:0" });
    if (m_hasRest)
        arguments.insert(arguments.end(), { "-map", "1" });
    arguments.insert(arguments.end(), { "-c", "copy", "-map_metadata", "1", "-map_chapters", "1" });
    // Without a rest file the file's tags come from the source, and what the plan adds to them from here.
    if (!m_hasRest)
        arguments.insert(arguments.end(), m_rest.begin(), m_rest.end());
    arguments.insert(arguments.end(), m_pictureTags.begin(), m_pictureTags.end());
    arguments.insert(arguments.end(), m_container.begin(), m_container.end());
    arguments.push_back(output);
    return arguments;
}
