#pragma once

#include "engine/EncoderChoices.h"

#include <QString>
#include <optional>
#include <string>

class TCommandManager;

// One row of a list: what to convert, to which format, into which folder (empty for the default one), with which
// size, quality and sound.
struct TRowRequest {
    QString FileName;
    int FormatIndex = -1;
    QString Path;
    TEncoderChoices Choices;
};

// Split: one piece for each encoder that is free when the row starts and no waiting row will take.
constexpr int SplitAuto = -1;
// Split auto converts shorter sources whole: beside them the pieces' start and the join would gain little.
constexpr double SplitAutoMinimumSeconds = 60;
// The threads of each piece's encoder in a cluster job, where the format leaves them to the encoder: the same on
// every node, since H.265 writes its thread count into the stream's header and pieces must be encoded alike.
constexpr int ClusterPieceThreads = 4;

// What every conversion of a program run shares.
struct TConversionSettings {
    std::string Encoder; // the encoder program
    std::string ProgramFolder; // where relative paths and convert/ are
    TCommandManager* Catalogue = nullptr;
    // Pieces a row whose format allows it is cut into: 0 or 1 for none, SplitAuto.
    int Split = 0;
    // A step of a row cut into Split pieces by a cluster job, in a folder beside the output that every step
    // shares: 1 .. Split encodes that piece of the picture, Split + 1 the rest; 0 joins them into the output.
    // None: the whole row here.
    std::optional<int> SplitStep;
    // Threads for the encoder of each piece of a row converted in pieces here; 0: the encoder's own choice.
    int PieceThreads = 0;
};
