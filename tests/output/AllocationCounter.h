#pragma once
// Counts heap allocations made by threads that asked to be watched, so that a test can prove
// that an audio thread allocates nothing in steady state.
#include <cstddef>

namespace AllocationCounter {

// Starts counting the allocations of the calling thread.
void watchThisThread();
std::size_t count();
void resetCount();

} // namespace AllocationCounter
