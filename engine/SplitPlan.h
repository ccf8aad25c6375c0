#pragma once

#include "engine/EncoderPlan.h"
#include "engine/EncoderTask.h"
#include "engine/SplitCuts.h"

#include <optional>
#include <string>
#include <vector>

// Why a row of this task and plan is converted whole rather than in pieces; none when it can be split: its plan
// converts the picture with an encoder whose streams can be joined (H.264, H.265, VP9, AV1, MPEG-4 Part 2,
// MPEG-2) into a container that keeps every frame's time (MP4, MOV, MKV, WebM), and keeps the frame rate.
std::optional<std::string> SplitRefusal(const TEncoderTask& task, const TEncoderPlan& plan);

// The encoder's runs of a row converted in pieces, and the files they make in folder: each piece of the picture
// on its own (piece-1.nut, ...), everything else of the source as a whole in the output's container (rest.EXT),
// and the joined picture muxed with the rest into the output. Each list of arguments starts with the encoder.
class TSplitSteps
{
public:
    // pieceThreads: the threads each piece's encoder may use, where the format leaves that to the encoder; 0 for
    // the encoder's own choice. stamp: what each piece carries of the conversion it is made for (empty: nothing).
    TSplitSteps(const std::string& encoder, const TEncoderTask& task, const TEncoderPlan& plan, TSplitCuts cuts,
        std::string folder, int pieceThreads = 0, std::string stamp = {});

    const TSplitCuts& Cuts() const { return m_cuts; }
    std::size_t Pieces() const { return m_cuts.Pieces(); }
    // True when the source has more than the picture for the output: sound, subtitles, a cover, attached files.
    bool HasRest() const { return m_hasRest; }
    const std::string& Folder() const { return m_folder; }
    const std::string& Stamp() const { return m_stamp; }

    std::string PiecePath(std::size_t piece) const;
    std::string RestPath() const;
    std::string JoinedPath() const;

    std::vector<std::string> PieceArguments(std::size_t piece, const std::string& output) const;
    std::vector<std::string> RestArguments(const std::string& output) const;
    // The joined picture at JoinedPath and the rest at RestPath into output, without encoding anything again.
    std::vector<std::string> MuxArguments(const std::string& output) const;

private:
    const std::string m_encoder;
    const std::string m_source;
    const TSplitCuts m_cuts;
    const std::string m_folder;
    const std::string m_ext;
    std::vector<std::string> m_input; // how the encoder reads the source
    std::vector<std::string> m_global; // the encoder's own options: -nostdin, -n, -hide_banner, -loglevel
    std::vector<std::string> m_encoding; // the options for the tracks' encoders
    std::vector<std::string> m_container; // the output container's flags
    std::vector<std::string> m_picture; // the picture's map and colour
    std::vector<std::string> m_pictureTags; // the picture's codec tag, which only the output container takes
    std::string m_pictureFilter;
    int m_pieceThreads = 0;
    std::string m_stamp;
    std::vector<std::string> m_rest;
    bool m_hasRest = false;
};
