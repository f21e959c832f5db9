#pragma once
#include <atomic>
#include <chrono>

namespace Output {

// A counting semaphore with a maximum: wait() takes one count, release() gives counts back.
// The count is one atomic and waiters sleep on it, so release() takes no lock: an output
// callback can give a slot back without waiting on the thread it wakes.
class CSemaphore {
  public:
    // Throws std::runtime_error when the counts are impossible (negative, or initial above a
    // maximum that must be at least 1).
    CSemaphore(int initialCount, int maximumCount);
    CSemaphore(const CSemaphore&) = delete;
    CSemaphore& operator=(const CSemaphore&) = delete;

    // Gives count counts back; throws std::runtime_error, and changes nothing, when count is not
    // positive or the result would pass the maximum.
    void release(int count);
    // Takes one count, waiting without time limit until one is there.
    void wait();
    // Takes one count; false when none came within the timeout.
    bool waitFor(std::chrono::milliseconds timeout);
    bool tryWait();
    int getCount() const { return count.load(); }
    int getMaximum() const { return maximum; }

  private:
    std::atomic<int> count;
    const int maximum;
};

} // namespace Output
