#pragma once

#include "platform/FileClaim.h"
#include "toolkit/Exception.h"

#include <string>

// No reservation can be made in an output folder (it does not exist, or may not be written).
class EReservationError : public Exception {
public:
    using Exception::Exception;
};

// Where the reservation of an output path is kept: the hidden file ".<name>.reserved" beside it.
std::string ReservationPath(const std::string& output);

// Holds one output name for one encoder run, so that no other run that reserves its names (in this process or in
// another, on this machine or on another sharing the folder) writes the same output. The encoder creates the
// output itself; the reservation is a file beside it, held locked while its run lives, and released when the run
// has ended and a failed run's output is gone (TConversionRun removes it).
//
// An output with a reservation beside it is unfinished. A reservation whose holder has gone without releasing it
// (killed, crashed, its machine lost) is taken over by the next run that wants the name: the output left beside
// it is unfinished and is removed first.
class TOutputReservation {
public:
    // Reserves the first name by the naming rule, from wanted on, at which there is neither a file nor a
    // reservation whose holder lives. Throws EReservationError when the folder takes no reservation.
    explicit TOutputReservation(const std::string& wanted);
    // Releases the name; the output stays as it is.
    ~TOutputReservation() = default;
    TOutputReservation(const TOutputReservation&) = delete;
    TOutputReservation& operator=(const TOutputReservation&) = delete;

    // The reserved output path.
    const std::string& Output() const { return m_output; }

private:
    bool Hold(const std::string& candidate);

    platform::TFileClaim m_claim;
    std::string m_output;
};

// True when a finished output is at path: a file that is not empty and has no reservation beside it.
bool OutputDone(const std::string& path);
