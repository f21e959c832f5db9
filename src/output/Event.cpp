#include "output/Event.h"

#include <stdexcept>
#include <system_error>

#include "audio/DataFile.h"

namespace Output {

CEvent::CEvent(bool manualReset_, bool initiallySignalled)
    : manualReset(manualReset_), signalled(initiallySignalled) {
}

// Locking a std::mutex can only fail with a system error; it is reported like any failed
// event call. Waiters are notified under the lock so that a woken waiter that destroys the
// event cannot race with the notification.
std::unique_lock<std::mutex> CEvent::lockFor(const char* operation) {
    std::unique_lock lock(mutex, std::defer_lock);
    try {
        lock.lock();
    } catch (const std::system_error& e) {
        throw std::runtime_error(std::string(operation) + Audio::lastErrorSuffix(e.code().value()));
    }
    return lock;
}

void CEvent::set() {
    auto lock = lockFor("CEvent::set() ");
    signalled = true;
    if (manualReset)
        signalledCondition.notify_all();
    else
        signalledCondition.notify_one();
}

void CEvent::reset() {
    auto lock = lockFor("CEvent::reset() ");
    signalled = false;
}

bool CEvent::passWhenSignalled() {
    if (!signalled) return false;
    if (!manualReset) signalled = false;
    return true;
}

void CEvent::wait() {
    std::unique_lock lock(mutex);
    signalledCondition.wait(lock, [this] { return passWhenSignalled(); });
}

bool CEvent::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    return signalledCondition.wait_for(lock, timeout, [this] { return passWhenSignalled(); });
}

bool CEvent::isSignalled() const {
    std::lock_guard lock(mutex);
    return signalled;
}

} // namespace Output
