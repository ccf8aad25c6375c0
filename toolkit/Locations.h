#pragma once

#include <QString>
#include <string>

// Where the program finds its parts and keeps the user's things, for a copy run from its build folder and for
// an installed one alike. The program folder is the application object's.

// Names the maker and the program for the settings and the per-user folders; called once at start-up, before
// anything below is asked.
void SetProgramNames();

// The encoder: bin/ffmpeg beside the program when it is there, else ffmpeg on the PATH. When there is neither,
// bin/ffmpeg beside the program, so that the encoder check names a place to put it.
std::string FindEncoder();

// The format catalogue: the user's own (command in the program's config folder) when it exists, else the one
// beside the program, else the one in the data folder (share/reelhand/command beside the program's bin folder).
// When there is none, the one beside the program, so that the report names it.
std::string CataloguePath();

// The output folder of rows that name none, ending with '/': the one chosen in the window when there is one,
// else convert/ beside the program when it is a folder there that may be written, else "Reelhand" in the user's
// Videos folder. Not made.
QString DefaultOutputFolder();
// The same, made with its parents when it is missing; an Exception naming it when that fails.
std::string MakeDefaultOutputFolder();
// The folder chosen in the window, kept in the settings; empty when none is chosen.
QString ChosenOutputFolder();
// Keeps the chosen folder in the settings.
void SetChosenOutputFolder(const QString& folder);

// Where the first file dialog opens: the user's Videos folder when there is one, else the home folder.
QString FirstDialogFolder();

// The file the window keeps its list in, in the user's state folder: XDG_STATE_HOME (else ~/.local/state),
// then Quor/Reelhand/list.qfl. Not made.
QString KeptListFile();
