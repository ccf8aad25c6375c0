#pragma once

#include "engine/EncoderChoices.h"

#include <QString>
#include <cstddef>
#include <string>
#include <vector>

enum class TRowState { Waiting, Converting, Done, Failed, Skipped };
constexpr std::size_t RowStateCount = 5;

// One row of a list file as the command-line mode converts it.
struct TBatchRow {
    int Index = 0; // position in the list file, from 0 (printed from 1)
    QString FileName;
    int FormatIndex = 0;
    QString Path;
    TEncoderChoices Choices;
    TRowState State = TRowState::Waiting;
    std::string Output; // the output written or being written; for a skipped row the one found
    std::string Reason; // why the row failed
    std::vector<std::string> Notes; // what the user should know of an ended row, one line each
};

// One row per file, in the order given, with the format, output folder (empty: convert/) and choices; relative
// paths are taken from the current folder, as a shell user means them.
std::vector<TBatchRow> FileRows(
    const std::vector<std::string>& files, int format, const std::string& folder, const TEncoderChoices& choices);
