#pragma once

// The command-line mode: converts a list file without the window and without a display, and returns the exit
// code: 0 when every row was converted or skipped, 1 when a row failed or the encoder is missing, 2 for a bad
// command line or a list file that cannot be read. When SIGINT, SIGTERM or SIGHUP stopped it, it cleans up and
// then ends by that signal (a shell shows 128 + its number). It makes the application objects itself; none may
// exist yet.
// ConvertOnly is the mode's own program, reelhand-convert: --convert goes without saying.
enum class TBatchProgram { Window, ConvertOnly };
int RunBatch(int argc, char* argv[], TBatchProgram program = TBatchProgram::Window);
