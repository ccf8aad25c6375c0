#pragma once

#include "engine/plan/EncoderChoices.h"
#include "toolkit/Exception.h"

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

// The command line asks for something that cannot be done; the message says what, for the person who typed it.
class EBatchUsage : public Exception {
public:
    using Exception::Exception;
};

// What `reelhand --convert LIST.qfl [--size L] [--quality Q] [--sound S] [--jobs N] [--shard I/N] [--skip-done]
// [--quiet]`, its form for files without a list (`--convert --format N [--output DIR] ... FILE...`) or
// `reelhand --formats` asks for.
struct TBatchOptions {
    bool Help = false; // print the usage and stop
    bool Version = false; // print the version and stop
    bool ListFormats = false; // print the catalogue and stop
    std::string ListPath; // empty when files are converted without a list
    std::vector<std::string> Files; // the sources given instead of a list, as typed
    int Format = -1; // the files' format, a catalogue position from 0
    std::string OutputFolder; // the files' output folder, as typed; empty for convert/
    TEncoderChoices Choices; // the files' choices; for a list, those of rows that have none of their own
    int Jobs = 1; // encoders at once; 0 means one per core
    int ShardIndex = 1; // only rows ShardIndex, ShardIndex + ShardCount, ... counted from 1
    int ShardCount = 1;
    bool SkipDone = false;
    bool Quiet = false;
    int Split = 0; // pieces a long row is cut into: 0 none, SplitAuto one per free encoder
    // One step of a row cut into Split pieces for a cluster job: 1 .. Split a piece, Split + 1 the rest, 0 the
    // join; none for the whole row.
    std::optional<int> SplitStep;
    std::string WatchFolder; // with --watch: the folder whose arriving files are converted, until a signal
    int SettleMs = 5000; // how long a watched file must stay the same before it is taken
    bool Poll = false; // look at the watched folder now and then rather than hear of its files
};

// True when the arguments ask for the command-line mode rather than the window: one of them is one of the mode's
// options (the window itself takes no arguments and ignores what it is given).
bool WantsBatchMode(const QStringList& arguments);

// Reads the arguments (the program's name first); with convertImplied they convert without --convert. Throws
// EBatchUsage for anything unknown, missing, repeated or out of range.
TBatchOptions ParseBatchOptions(const QStringList& arguments, bool convertImplied = false);

// The text of --help.
std::string BatchHelpText();
