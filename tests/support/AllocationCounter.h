#pragma once
// Counts the heap allocations of the threads that asked to be watched: operator new everywhere,
// and, outside the sanitizer builds (which own malloc), malloc and its relatives too, so that
// allocations inside FFTW, ALSA or JACK count as well. Link support/AllocationCounter.cpp into
// the test program.
#include <cstddef>

namespace AllocationCounter {

// Starts counting the allocations of the calling thread.
void watchThisThread();
void stopWatchingThisThread();
std::size_t count();
void resetCount();
// True when malloc itself is counted (not in sanitizer builds).
bool seesMalloc();

} // namespace AllocationCounter
