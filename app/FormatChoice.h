#pragma once

#include <QStringList>

class TCommandManager;

// How the add-files dialog offers the catalogue's formats: grouped by what they make, and the one chosen last
// for the kind of files added (video or sound) offered first, kept across starts.
namespace FormatChoice
{

enum TGroup { VideoGroup, SameQualityGroup, SoundGroup };

// What a format makes: a same-quality one copies what fits (its plan says "copy"), a sound one keeps no
// picture, every other one is video. An entry lacking its parameters counts as video.
TGroup GroupOf(TCommandManager& catalogue, int format);
// The heading of a group in the format list.
QString GroupHeading(TGroup group);
// True when every file is a sound file by its extension; an empty list is no sound.
bool SoundSources(const QStringList& files);
// The format to offer for such files: the one chosen last for their kind while the catalogue has it; else for
// sound the first sound format, for video (and when the catalogue has no sound format) the first one. -1 for
// an empty catalogue.
int Preferred(TCommandManager& catalogue, bool sound);
// Keeps the format chosen for files of that kind.
void Remember(bool sound, int format);

} // namespace FormatChoice
