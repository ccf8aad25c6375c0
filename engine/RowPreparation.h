#pragma once

#include "engine/EncoderPlan.h"
#include "engine/EncoderTask.h"
#include "engine/MediaProbe.h"
#include "engine/RowRequest.h"
#include "engine/RunOutcome.h"
#include "engine/SplitCuts.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

// What is read and worked out of a row before its encoder starts. Nothing is made or changed on disk for it.
struct TPreparedRow {
    TEncoderTask Task;
    TMediaInfo Source;
    TEncoderPlan Plan;
    // What the user should know of the row's conversion, one line each.
    std::vector<std::string> Notes;
    // Where the picture is cut, when the row is converted in pieces.
    std::optional<TSplitCuts> Cuts;
    // Set when the row ends without an encoder, with why.
    std::optional<TRunOutcome> Refused;

    // The length of the tracks the output keeps of the source; none while unknown.
    std::optional<double> KeptLength() const;
};

// Reads the row's source and works out its task, plan and notes, and its cuts when it is to be converted in pieces
// and can be: pieces of the settings' Split, or for SplitAuto one for each of freeEncoders and the row's own.
// A row that cannot succeed comes back Refused; once stop is set it comes back Refused as stopped by the user.
TPreparedRow PrepareRow(
    const TRowRequest& row, const TConversionSettings& settings, int freeEncoders, const std::atomic<bool>& stop);
