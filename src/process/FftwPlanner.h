#pragma once
// FFTW's planner keeps global state and is not thread-safe; executing a finished plan is.
// Every plan in the program is made while holding this one lock.
#include <mutex>

namespace Process {

std::mutex& fftwPlannerLock();

} // namespace Process
