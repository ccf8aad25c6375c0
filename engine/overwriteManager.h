#pragma once

#include "toolkit/Exception.h"

#include <functional>
#include <string>

// An output name that cannot be made: it holds a 0 byte, it grows longer than the file system allows, or the
// file system cannot tell whether it is free.
class EOutputNameError : public Exception {
public:
    using Exception::Exception;
};

// Picks output names that never overwrite a file. Holds no state; UniqueName reserves nothing, so its answer
// holds only at the moment of the call (a conversion takes its name with FirstFree, by a move that never
// replaces anything).
class TOverwriteManager {
public:
    // The first of path, then path with "_2" before its extension, then "_2_2", ... at which no file is (a
    // folder does not count). The folder part is never changed, also when it does
    // not exist; a name without a dot gets "_2" appended. EOutputNameError naming the path and the reason when a
    // candidate cannot be tested (a 0 byte, too long, a file where a folder should be, no permission, ...).
    std::string UniqueName(const std::string& path) const;
    // The same walk over the candidates, with the test for a taken name given (it may take the name as it
    // tests, and answers false once it has); EOutputNameError for a path holding a 0 byte, which no test could
    // answer for.
    static std::string FirstFree(const std::string& path, const std::function<bool(const std::string&)>& taken);
};
