#include "output/Semaphore.h"

#include <cerrno>
#include <stdexcept>

#include "audio/DataFile.h"

namespace Output {

CSemaphore::CSemaphore(int initialCount, int maximumCount)
    : count(initialCount), maximum(maximumCount) {
    if (maximumCount < 1 || initialCount < 0 || initialCount > maximumCount)
        throw std::runtime_error("CSemaphore::CSemaphore() CreateSemaphore: " +
                                 Audio::lastErrorSuffix(EINVAL));
}

void CSemaphore::release(int releaseCount) {
    std::lock_guard lock(mutex);
    if (releaseCount < 1)
        throw std::runtime_error("CSemaphore::CSemaphore() release: " +
                                 Audio::lastErrorSuffix(EINVAL));
    if (releaseCount > maximum - count)
        throw std::runtime_error("CSemaphore::CSemaphore() release: " +
                                 Audio::lastErrorSuffix(EOVERFLOW));
    count += releaseCount;
    if (releaseCount == 1)
        availableCondition.notify_one();
    else
        availableCondition.notify_all();
}

void CSemaphore::wait() {
    std::unique_lock lock(mutex);
    availableCondition.wait(lock, [this] { return count > 0; });
    --count;
}

bool CSemaphore::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    if (!availableCondition.wait_for(lock, timeout, [this] { return count > 0; })) return false;
    --count;
    return true;
}

bool CSemaphore::tryWait() {
    std::lock_guard lock(mutex);
    if (count == 0) return false;
    --count;
    return true;
}

int CSemaphore::getCount() const {
    std::lock_guard lock(mutex);
    return count;
}

} // namespace Output
