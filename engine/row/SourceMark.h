#pragma once

#include <string>

// The part of a finished output's mark that names its source as it was: its size and modification time, to the
// nanosecond. A source replaced or changed since, under the same name, no longer matches, so a resume converts it
// again instead of keeping an output of something else. Empty-valued when nothing stands at the source's name.
std::string SourceMark(const std::string& source);
