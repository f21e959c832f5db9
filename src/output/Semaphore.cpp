#include "output/Semaphore.h"

#include <cerrno>
#include <stdexcept>
#include <thread>

#include "audio/DataFile.h"

namespace Output {

CSemaphore::CSemaphore(int initialCount, int maximumCount)
    : count(initialCount), maximum(maximumCount) {
    if (maximumCount < 1 || initialCount < 0 || initialCount > maximumCount)
        throw std::runtime_error("CSemaphore::CSemaphore() CreateSemaphore: " +
                                 Audio::lastErrorSuffix(EINVAL));
}

void CSemaphore::release(int releaseCount) {
    if (releaseCount < 1)
        throw std::runtime_error("CSemaphore::CSemaphore() release: " +
                                 Audio::lastErrorSuffix(EINVAL));
    int now = count.load();
    do {
        if (releaseCount > maximum - now)
            throw std::runtime_error("CSemaphore::CSemaphore() release: " +
                                     Audio::lastErrorSuffix(EOVERFLOW));
    } while (!count.compare_exchange_weak(now, now + releaseCount));
    count.notify_all();
}

bool CSemaphore::tryWait() {
    int now = count.load();
    while (now > 0)
        if (count.compare_exchange_weak(now, now - 1)) return true;
    return false;
}

void CSemaphore::wait() {
    while (!tryWait())
        count.wait(0);
}

// Timed waits are for the tests and the user-interface thread; a short sleep between looks is
// precise enough there.
bool CSemaphore::waitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!tryWait()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

} // namespace Output
