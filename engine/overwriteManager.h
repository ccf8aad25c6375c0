#pragma once

#include <string>

// Picks output names that never overwrite a file. Holds no state; nothing is reserved, so the answer holds
// only at the moment of the call.
class TOverwriteManager {
public:
    // The first of path, then path with "_2" before its extension, then "_2_2", ... at which no file is (a
    // folder does not count). The folder part is never changed, also when it does not exist; a name
    // without a dot gets "_2" appended.
    std::string UniqueName(const std::string& path) const;
};
