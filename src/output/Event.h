#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Output {

// An event object: signalled or not. A manual-reset event stays signalled until reset() and
// lets every waiter through; an auto-reset event lets exactly one waiter through and resets.
class CEvent {
  public:
    CEvent(bool manualReset, bool initiallySignalled);
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void set();
    void reset();
    // Waits without time limit until the event is signalled.
    void wait();
    // Returns false when the time ran out first.
    bool waitFor(std::chrono::milliseconds timeout);
    bool isSignalled() const;

  private:
    std::unique_lock<std::mutex> lockFor(const char* operation);
    bool passWhenSignalled();

    mutable std::mutex mutex;
    std::condition_variable signalledCondition;
    const bool manualReset;
    bool signalled;
};

} // namespace Output
