#pragma once

// What the program's standard output is connected to.
namespace platform {

// True when standard output is a terminal, where text can be redrawn in place.
bool StandardOutputIsTerminal();
// The width of the terminal on standard output in columns; 0 when it is no terminal or does not say.
int TerminalColumns();
// From now on a write to a pipe whose reader has gone (`reelhand ... | head`) fails instead of ending the program
// with SIGPIPE, so the program still ends in order. Children start with the default again.
void IgnoreBrokenPipes();

} // namespace platform
