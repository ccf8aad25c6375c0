#include "app/FormatChoice.h"

#include "engine/plan/FormatParams.h"
#include "engine/commandManager.h"

#include <QFileInfo>
#include <QSettings>

namespace
{

const char* const VideoKey = "formats/lastForVideo";
const char* const SoundKey = "formats/lastForSound";

// The sound-only kinds of the add filter.
const QStringList SoundExtensions = { "wav", "mp3", "flac", "ogg", "oga", "opus", "m4a", "aac", "wma" };

int FormatCount(const TCommandManager& catalogue)
{
    return static_cast<int>(catalogue.Formats().size());
}

} // namespace

FormatChoice::TGroup FormatChoice::GroupOf(TCommandManager& catalogue, int format)
{
    try {
        if (QString::fromStdString(catalogue.GetPlan(format)).split(' ', Qt::SkipEmptyParts).contains("copy"))
            return SameQualityGroup;
        // Before any source is known, only the params' words and their maps by kind tell what the format keeps.
        const TFormatStreams streams = TFormatParams::Of(catalogue.GetParams(format)).StreamsFor(TMediaInfo());
        return streams.KeepsPicture ? VideoGroup : SoundGroup;
    } catch (const ECommandError&) {
        return VideoGroup;
    }
}

QString FormatChoice::GroupHeading(TGroup group)
{
    switch (group) {
    case SameQualityGroup:
        return "Same quality: copies what fits";
    case SoundGroup:
        return "Sound only";
    case VideoGroup:
        break;
    }
    return "Video";
}

bool FormatChoice::SoundSources(const QStringList& files)
{
    for (const QString& file : files)
        if (!SoundExtensions.contains(QFileInfo(file).suffix().toLower()))
            return false;
    return !files.isEmpty();
}

int FormatChoice::Preferred(TCommandManager& catalogue, bool sound)
{
    bool kept = false;
    const int last = QSettings().value(sound ? SoundKey : VideoKey).toInt(&kept);
    if (kept && last >= 0 && last < FormatCount(catalogue))
        return last;
    for (int format = 0; sound && format < FormatCount(catalogue); ++format)
        if (GroupOf(catalogue, format) == SoundGroup)
            return format;
    return FormatCount(catalogue) > 0 ? 0 : -1;
}

void FormatChoice::Remember(bool sound, int format)
{
    QSettings().setValue(sound ? SoundKey : VideoKey, format);
}
