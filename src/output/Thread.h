#pragma once
#include <atomic>
#include <string>
#include <thread>

#include "audio/Types.h"

namespace Output {

using Audio::u32;

// A worker thread with one virtual run operation. A derived class starts the thread at the end
// of its own constructor (startThread) and ends it at the beginning of its own destructor
// (stopAndJoin): the base destructor runs after the derived members are gone, so it cannot be
// the one that stops a run() that still uses them.
class CThread {
  public:
    // Shows an error that escaped a thread's run(); the windows install a message box, the
    // command line keeps the default, which prints to stderr. Called on the failing thread.
    using ErrorHandler = void (*)(const std::string& title, const std::string& text);
    static void setErrorHandler(ErrorHandler handler);

    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    virtual ~CThread();

    bool isRunning() const { return running.load(); }
    // run()'s result once the thread has ended, 0 after an exception.
    u32 getExitCode() const { return exitCode.load(); }

    // Asks a running thread to end (stop request plus wake()) and waits for it. A thread whose
    // run() has already returned is neither asked nor woken. Safe to call more than once.
    void stopAndJoin();

    // Tries to give the calling thread real-time scheduling, else a lower nice value. Most
    // users lack the privilege for either; the thread then keeps its normal priority and no
    // error is raised. Returns whether the priority was raised.
    static bool raiseCurrentThreadPriority();
    // For a thread that computes ahead of a device rather than waits on it: real-time
    // scheduling below the output threads' priority, else a lower nice value. Such a thread
    // parks once it is far enough ahead, and the system's real-time throttling bounds what it
    // can take when it cannot keep up.
    static bool favourCurrentThread();

  protected:
    CThread() = default;
    void startThread();
    bool stopRequested() const { return stopping.load(); }
    // Shows an error through the installed handler, for a run() that handles its own errors.
    static void reportError(const std::string& title, const std::string& text);

    // Returns the thread's exit code; runs on the new thread.
    virtual u32 run() = 0;
    // Wakes run() from whatever it waits on so that it sees stopRequested(); runs on the thread
    // that calls stopAndJoin().
    virtual void wake() {}

  private:
    static void threadProcedure(CThread* self);

    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> stopping{false};
    std::atomic<u32> exitCode{0};
};

} // namespace Output
