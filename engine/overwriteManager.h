#pragma once

#include "toolkit/Exception.h"

#include <string>

// An output name that cannot be made: it holds a 0 byte, it grows longer than the file system allows, or the
// file system cannot tell whether it is free.
class EOutputNameError : public Exception {
public:
    using Exception::Exception;
};

// Picks output names that never overwrite a file. Holds no state; nothing is reserved, so the answer holds
// only at the moment of the call.
class TOverwriteManager {
public:
    // The first of path, then path with "_2" before its extension, then "_2_2", ... at which no file is (a
    // folder does not count). The folder part is never changed, also when it does not exist; a name
    // without a dot gets "_2" appended. EOutputNameError naming the path and the reason when a candidate
    // cannot be tested (a 0 byte, too long, a file where a folder should be, no permission, ...).
    std::string UniqueName(const std::string& path) const;
};
