#pragma once

#include "toolkit/Exception.h"

#include <QStringList>
#include <string>

// The command line asks for something that cannot be done; the message says what, for the person who typed it.
class EBatchUsage : public Exception {
public:
    using Exception::Exception;
};

// What `reelhand --convert LIST.qfl [--jobs N] [--shard I/N] [--skip-done] [--quiet]` asks for.
struct TBatchOptions {
    bool Help = false; // print the usage and stop
    bool Version = false; // print the version and stop
    std::string ListPath;
    int Jobs = 1; // encoders at once; 0 means one per core
    int ShardIndex = 0; // only rows whose index modulo ShardCount is ShardIndex
    int ShardCount = 1;
    bool SkipDone = false;
    bool Quiet = false;
};

// True when the arguments ask for the command-line mode rather than the window: one of them is one of the mode's
// options (the window itself takes no arguments and ignores what it is given).
bool WantsBatchMode(const QStringList& arguments);

// Reads the arguments (the program's name first). Throws EBatchUsage for anything unknown, missing or out of range.
TBatchOptions ParseBatchOptions(const QStringList& arguments);

// The text of --help.
std::string BatchHelpText();
