#pragma once

// The window's run, as main() starts it when no command-line option asks for the command-line mode. Without a
// display it prints one line saying how to convert without one and returns 2. Otherwise it makes the
// application objects and runs the program with its list kept in the user's state folder; files and folders
// named on the command line (as a file manager's "Open with" passes them) open the add-files dialog as a
// drop of them does. None of the application objects may exist yet.
int RunWindow(int argc, char* argv[]);
