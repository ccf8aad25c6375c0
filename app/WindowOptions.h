#pragma once

#include "toolkit/Exception.h"

#include <QStringList>
#include <optional>

// A window command line that cannot be taken; the message says why.
class EWindowUsage : public Exception
{
public:
    using Exception::Exception;
};

// What the window's command line asks for: how many files at once, and the files and folders to add.
struct TWindowOptions {
    std::optional<int> Jobs;
    QStringList Paths; // absolute, as the current folder of the start made them
};

// Reads the window's arguments (the program's name not among them): --jobs as FilesAtOnce takes it, and files
// and folders, relative ones taken from the current folder. "--" ends the options, so a file whose name starts
// with "-" can still be named. EWindowUsage for an option the window does not know ("--bogus") and for a --jobs
// value it cannot take.
TWindowOptions ReadWindowOptions(const QStringList& arguments);
