#include "support/AllocationCounter.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

namespace {
// Constant-initialised, so reading it from inside malloc never allocates.
thread_local bool watched = false;
std::atomic<std::size_t> allocations{0};

void note() {
    if (watched) allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

namespace AllocationCounter {
void watchThisThread() {
    watched = true;
}
void stopWatchingThisThread() {
    watched = false;
}
std::size_t count() {
    return allocations.load();
}
void resetCount() {
    allocations.store(0);
}
} // namespace AllocationCounter

// Replacing both new and delete keeps them a matching pair for the sanitizers; not inlined into
// callers, where the compiler would see new paired with free.
[[gnu::noinline]] void* operator new(std::size_t size) {
    note();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
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

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
bool AllocationCounter::seesMalloc() {
    return true;
}
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
    note();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    note();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    note();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    note();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    note();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    note();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : ENOMEM;
}
void free(void* p) {
    __libc_free(p);
}
}
#else
bool AllocationCounter::seesMalloc() {
    return false;
}
#endif
