#include "list/RowNotes.h"

#include <array>

namespace
{

// The notes' own first words tell their kind; a note of no known kind still counts as a change.
bool IsTrackLeftOut(const QString& note)
{
    return note.startsWith("Track ") && note.contains(") is left out");
}

} // namespace

QString NotesCountText(qsizetype notes)
{
    return QString::number(notes) + (notes == 1 ? " note" : " notes");
}

QString NotesKindsText(const QStringList& notes)
{
    enum { LeftOut, Converted, Flags, Tags, Other, Kinds };
    std::array<bool, Kinds> seen {};
    for (const QString& note : notes) {
        if (IsTrackLeftOut(note))
            seen[LeftOut] = true;
        else if (note.contains(" is converted, not copied"))
            seen[Converted] = true;
        else if (note.contains(" flag") || note.contains("marked default"))
            seen[Flags] = true;
        else if (note.contains(" left out") || note.contains(" is cut to"))
            seen[Tags] = true;
        else
            seen[Other] = true;
    }
    static const std::array<const char*, Kinds> words
        = { "tracks left out", "tracks converted, not copied", "flags changed", "tags left out or cut",
              "other changes" };
    QStringList kinds;
    for (int kind = 0; kind < Kinds; ++kind)
        if (seen[size_t(kind)])
            kinds << words[size_t(kind)];
    return kinds.join("; ");
}
