#pragma once

#include <QString>

// The folder of the executable, where bin/ffmpeg, the catalogue and convert/ are; ends without '/'.
QString ProgramFolder();
// Tests point the program folder elsewhere; an empty value goes back to the executable's folder.
void SetProgramFolder(const QString& folder);
