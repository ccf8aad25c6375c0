#pragma once

#include <functional>
#include <string>

// Picks output names that never overwrite a file. Holds no state; UniqueName reserves nothing, so its answer
// holds only at the moment of the call (TOutputReservation holds a name).
class TOverwriteManager {
public:
    // The first of path, then path with "_2" before its extension, then "_2_2", ... at which no file is (a
    // folder does not count) and no run holds a reservation. The folder part is never changed, also when it does
    // not exist; a name without a dot gets "_2" appended.
    std::string UniqueName(const std::string& path) const;
    // The same walk over the candidates, with the test for a taken name given.
    static std::string FirstFree(const std::string& path, const std::function<bool(const std::string&)>& taken);
};
