#include "tests/engine/FailingAllocation.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

std::atomic<std::size_t> s_failingSize{0};
std::thread::id s_sparedThread;

} // namespace

void FailNextAllocationElsewhere(std::size_t size)
{
    s_sparedThread = std::this_thread::get_id();
    s_failingSize.store(size, std::memory_order_release);
}

// Replaces the standard allocation functions for this test executable.
void* operator new(std::size_t size)
{
    std::size_t armed = s_failingSize.load(std::memory_order_acquire);
    if (armed != 0 && armed == size && std::this_thread::get_id() != s_sparedThread &&
        s_failingSize.compare_exchange_strong(armed, 0))
        throw std::bad_alloc();
    if (void* memory = std::malloc(size != 0 ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
