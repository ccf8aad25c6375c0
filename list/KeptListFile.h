#pragma once

#include "engine/plan/EncoderChoices.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the kept list file holds of one row.
struct TKeptRow {
    QString FileName;
    int32_t FormatIndex = 0;
    QString Path;
    TEncoderChoices Choices;
    int32_t State = 0; // the row's TItemState
    QString Reason;
    QString Output; // the file a finished row made
    std::optional<int64_t> OutputSize; // its bytes, when known
    std::optional<double> OutputLength; // its seconds, when known

    bool operator==(const TKeptRow&) const = default;
};
using TKeptRows = std::vector<TKeptRow>;

// The rows of a kept list file: a row that was converting comes back waiting, only failed rows keep their
// reason and only finished rows their output with its size and length (a list kept before those were kept, or a
// value that does not read as one, leaves them unknown). A file that is not such a list, is damaged or was written by a
// newer version: Exception saying why.
TKeptRows ReadKeptList(const std::string& path);

// Replaces the file at path whole with the rows (its folder is made when missing); a failure leaves the file as it
// was and raises Exception("The list cannot be kept in <path>: <reason>").
void WriteKeptList(const std::string& path, const TKeptRows& rows);
