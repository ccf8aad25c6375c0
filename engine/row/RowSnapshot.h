#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How one row stands, worked out once by its conversion: the window's job and the command line show it as it is
// and work out nothing of their own, so the two can never tell a row differently.
struct TRowSnapshot {
    enum class TState { Idle, Preparing, Converting, Done, Failed };

    TState State = TState::Idle;
    // The share of the row's work done, from 0 to 1: a running row by how far its encoders are (each piece of a
    // row cut into pieces by its own share), an ended row 1.
    double Work = 0;
    // How far the running row is, in percent; none while unknown.
    std::optional<int> Percent;
    // Seconds the running row still needs at its pace so far; none while unknown.
    std::optional<int64_t> SecondsLeft;
    // "42 %, about 00:01:05 left"; "42 %, 00:00:03 elapsed" before the pace is known; "00:00:12 elapsed" while
    // the source's length is unknown. Empty unless Converting.
    std::string Progress;
    // Why an ended row failed; empty for a Done one.
    std::string Reason;
    // A Failed row was stopped (by the user, a signal, a closed window) rather than failing by itself.
    bool Stopped = false;
    // The wanted output while the row runs; after a Done row the name its file got.
    std::string Output;
    // Size in bytes and length in seconds of the file a Done row made.
    std::optional<int64_t> OutputSize;
    std::optional<double> OutputLength;
    // What the user should know of the row, one line each.
    std::vector<std::string> Notes;
};
