#pragma once

#include "engine/media/MediaProbe.h"

#include <optional>
#include <string>
#include <vector>

// A source track the encoder is asked to write, in the order of the output's tracks.
struct TMappedTrack {
    int Source = 0; // the track's index in the source
    TStreamKind Kind = TStreamKind::Other;
    bool Copied = false; // its packets go into the output as they are
    // Converted with each frame at its own time (-fps_mode vfr or passthrough): as many frames come out as go in.
    bool KeepsFrames = false;
};

// Whether a format keeps a source's picture and sound, and whether it needs them: a -map without the trailing '?'
// that makes it optional needs what it names.
struct TFormatStreams {
    bool KeepsPicture = true;
    bool KeepsSound = true;
    bool NeedsPicture = false;
    bool NeedsSound = false;
};

// What a catalogue entry's params say, read in this one place for the plan, the refusal of a source and the check
// of a finished file.
class TFormatParams
{
public:
    explicit TFormatParams(const std::vector<std::string>& words);
    // The params as the catalogue holds them, split as the runner splits a command line.
    static TFormatParams Of(const std::string& params);

    const std::vector<std::string>& Words() const { return m_words; }
    // The words but the maps, the picture's and the sound's filters and the picture's tag, which a plan sets per
    // track.
    const std::vector<std::string>& General() const { return m_general; }
    // Each -map with its value, in order.
    const std::vector<std::string>& Maps() const { return m_maps; }
    const std::string& PictureFilter() const { return m_pictureFilter; }
    const std::string& PictureTag() const { return m_pictureTag; }
    const std::string& SoundFilter() const { return m_soundFilter; }
    // -filter_complex or -lavfi when the params use one, else empty.
    const std::string& ComplexFilter() const { return m_complexFilter; }
    // The -b:a rate in bits a second; none when the params set none.
    std::optional<double> SoundRate() const { return m_soundRate; }
    // -ac, 0 when the params leave the channel count as it is.
    int Channels() const { return m_channels; }

    // What of the source the maps keep and need; a map by index (0:1) counts as the kind of the source's track.
    TFormatStreams StreamsFor(const TMediaInfo& source) const;
    // The source's tracks the encoder writes for these words into outputName, in the output's order, as the
    // encoder picks them: by the maps when there are any, else its best picture, sound and subtitles for what the
    // container takes; -vn, -an and -sn leave kinds out. A copy asked for by -c (or -codec, -vcodec, -acodec,
    // -scodec) with or without a stream kind or index marks the tracks it names.
    std::vector<TMappedTrack> TracksOf(const TMediaInfo& source, const std::string& outputName) const;

private:
    std::vector<std::string> m_words;
    std::vector<std::string> m_general;
    std::vector<std::string> m_maps;
    std::string m_pictureFilter;
    std::string m_pictureTag;
    std::string m_soundFilter;
    std::string m_complexFilter;
    std::optional<double> m_soundRate;
    int m_channels = 0;
    bool m_noPicture = false;
    bool m_noSound = false;
    bool m_noSubtitles = false;
    std::string m_muxer; // -f
};
