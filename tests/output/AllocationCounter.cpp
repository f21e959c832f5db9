#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
thread_local bool watched = false;
std::atomic<std::size_t> allocations{0};
} // namespace

namespace AllocationCounter {
void watchThisThread() {
    watched = true;
}
std::size_t count() {
    return allocations.load();
}
void resetCount() {
    allocations.store(0);
}
} // namespace AllocationCounter

// Replacing both new and delete keeps them a matching pair for the sanitizers.
void* operator new(std::size_t size) {
    if (watched) allocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
