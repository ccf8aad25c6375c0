#pragma once

// The requests from outside to end the program (SIGTERM, SIGINT, SIGHUP), caught so that the program can end
// in order (stop the encoder, remove its partial output) instead of dying with its work half done.
namespace platform {

class TerminationSignals {
public:
    // From now on the three signals no longer end the process: each one is noted for Take. Safe to call again.
    // False with the system error in error when they could not be caught (they then end the process as before).
    static bool Catch(int& error);
    // What an event loop watches: it becomes readable while a noted signal waits to be taken; -1 before Catch.
    static int Handle();
    // The oldest noted signal's number, or 0 when none waits.
    static int Take();
    // The three signals end the process again, as before Catch.
    static void Release();
    // Ends the process the way the signal would have ended it uncaught, so that whoever started the program
    // sees which request ended it. For the moment everything that needed doing in order is done.
    [[noreturn]] static void EndBy(int signal);
};

} // namespace platform
