#pragma once
// FFTW's planner keeps global state and is not thread-safe; executing a finished plan is.
// Every plan in the program is made while holding this one lock.
#include <cstdint>
#include <mutex>

namespace Engine {

std::mutex& fftwPlannerLock();

// FFTW's SIMD code runs only on arrays aligned like the ones the plan was made for. Plans
// here are made for 64-byte aligned arrays; work areas inside caller-allocated states carry
// this many spare floats and are used from their first aligned element.
inline constexpr int kAlignmentSlack = 16;

inline float* simdAligned(float* p) {
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    return reinterpret_cast<float*>((address + 63) & ~std::uintptr_t{63});
}

} // namespace Engine
