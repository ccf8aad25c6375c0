#pragma once

#include <functional>

class TmainDlg;

// The program's run once the application objects exist: the start-up with the splash, then the message loop
// until the main window is closed; returns the loop's exit code.
// A request to end (SIGTERM, SIGINT, SIGHUP) closes the main window and leaves every event loop, those of
// open dialogs too; the window then goes, and with it the conversion job, which kills the encoder's group.
// Then the process ends by that same signal. A second request while this goes on ends the process at once.
// A process ended by exit() from anywhere, as Qt's X11 platform ends it when the connection to the display
// breaks, still frees the conversion job first.
// shown, when given, runs once the main window is shown, before the loop (test drivers put work in hand there).
int RunProgram(const std::function<void(TmainDlg&)>& shown = {});
