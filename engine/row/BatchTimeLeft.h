#pragma once

#include <cstdint>
#include <optional>

// The time a batch still needs, in whole seconds, at the pace it has kept so far: the work left (100 minus the
// percent done) at the seconds each percent took. None before the batch has run a few seconds and done some of
// its work, when a guess would swing wildly, and none once it is all done.
std::optional<int64_t> BatchTimeLeft(int percentDone, int64_t elapsedSeconds);
