#pragma once

#include <cstddef>

namespace platform {

// The bytes of this process's memory that are held in RAM now (its resident set); 0 when the system does not
// tell.
std::size_t ResidentBytes();

} // namespace platform
