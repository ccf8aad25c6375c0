#pragma once

// The requests from outside to end the program (SIGTERM, SIGINT, SIGHUP), caught so that the program can end
// in order (stop the encoder, remove its partial output) instead of dying with its work half done; and the
// terminal's stop and continue (SIGTSTP, SIGCONT), caught so that the encoders, which run in process groups of
// their own and so never see the terminal's signals, stop and go on with the program.
namespace platform {

class TerminationSignals {
public:
    // From now on the five signals no longer act by themselves: each one is noted for Take. A signal that is
    // ignored (as nohup ignores SIGHUP, or a shell SIGINT for a background job) stays ignored and is never
    // noted. Safe to call again. False with the system error in error when they could not be caught (they then
    // act as before).
    static bool Catch(int& error);
    // What an event loop watches: it becomes readable while a noted signal waits to be taken; -1 before Catch.
    static int Handle();
    // The oldest noted signal's number, or 0 when none waits.
    static int Take();
    // The signals act by themselves again, as before Catch.
    static void Release();
    // Stops the process as the terminal's stop would have (nothing in an orphaned process group, which no shell
    // could continue); returns once it is continued.
    static void StopAsTerminalWould();
    // Ends the process the way the signal would have ended it uncaught, so that whoever started the program
    // sees which request ended it. For the moment everything that needed doing in order is done.
    [[noreturn]] static void EndBy(int signal);
};

// A parent that ignores SIGCHLD passes that on across exec, and then the system reaps every child by itself and
// no exit code is ever seen; from now on children's ends are ours to collect again.
void CollectChildren();

} // namespace platform
