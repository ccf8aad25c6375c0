#pragma once

#include "tests/support/Clips.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Ways a conversion goes wrong although the encoder may end with 0, as scripts for the stand-in encoder, with the
// beginning of the reason the row must end with. One table for the window's job and for the command-line mode.
struct TFailureKind {
    const char* Name;
    QByteArray Script;
    QString Reason;
};

// The clips some kinds hand over as their output, made once per test program: shorter than any source, and
// without sound.
inline std::vector<TFailureKind> FailureKinds(const QString& folder)
{
    const QString shortClip = folder + "/short.avi";
    const QString silentClip = folder + "/silent.avi";
    if (!QFile::exists(shortClip))
        MakeClip(shortClip, "64x48", "0.2");
    if (!QFile::exists(silentClip))
        MakeClip(silentClip, "64x48", "1", false);
    return {
        { "disk full near the end", "say [mp4 @ 0x55d0] Error writing trailer of out.mp4: No space left on device\n",
            "The disk is full (No space left on device)." },
        { "disk full from the start",
            "say [mp4 @ 0x55d0] Could not write header for output file #0: No space left on device\n"
            "say [aac @ 0x55d1] Qavg: 129.349\nsay [aac @ 0x55d1] 2 frames left in the queue on closing\nexit 1\n",
            "The disk is full (No space left on device)." },
        { "output removed by someone", "vanish\n", "The output cannot be read back (" },
        { "output too short", "copy " + shortClip.toUtf8() + "\n", "The output's picture lasts 0.20 s" },
        { "sound track missing", "copy " + silentClip.toUtf8() + "\n",
            "The output has no sound; the source has some." },
    };
}
