#pragma once

#include <cstddef>

// Makes the next allocation of exactly size bytes through operator new, on any thread but the caller's, throw
// std::bad_alloc without touching errno: a failure that, unlike the system's own, leaves no error code behind.
void FailNextAllocationElsewhere(std::size_t size);
