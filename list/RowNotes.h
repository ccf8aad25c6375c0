#pragma once

#include <QString>
#include <QStringList>

// How the notes of a finished row (what its conversion could not keep of the source as it was) are told in
// short, where a row or a batch has no room for every line.

// "1 note", "3 notes".
QString NotesCountText(qsizetype notes);
// What kinds of thing the notes tell of, joined by "; " in a fixed order: "tracks left out; flags changed".
QString NotesKindsText(const QStringList& notes);
