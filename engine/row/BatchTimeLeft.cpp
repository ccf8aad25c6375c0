#include "engine/row/BatchTimeLeft.h"

#include <cmath>

namespace
{

// Below this the first encoder may not even have said how far it is.
constexpr int64_t LeastSeconds = 5;

} // namespace

std::optional<int64_t> BatchTimeLeft(int percentDone, int64_t elapsedSeconds)
{
    if (percentDone <= 0 || percentDone >= 100 || elapsedSeconds < LeastSeconds)
        return std::nullopt;
    return std::llround(double(elapsedSeconds) * (100 - percentDone) / percentDone);
}
