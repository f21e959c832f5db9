#include "output/Thread.h"

#include <cstdio>
#include <exception>
#include <pthread.h>
#include <sched.h>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace Output {

namespace {

void printError(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

std::atomic<CThread::ErrorHandler> errorHandler{&printError};

// `share`: how far up the real-time range, in quarters of it.
bool trySchedFifo(double share) {
    const int top = sched_get_priority_max(SCHED_FIFO);
    const int bottom = sched_get_priority_min(SCHED_FIFO);
    if (top < 0 || bottom < 0) return false;
    sched_param param{};
    param.sched_priority = bottom + static_cast<int>((top - bottom) * share);
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

bool tryLowerNice() {
    const auto tid = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (current == -1 && errno != 0) return false;
    return current > -10 && setpriority(PRIO_PROCESS, tid, -10) == 0;
}

} // namespace

void CThread::setErrorHandler(ErrorHandler handler) {
    errorHandler.store(handler ? handler : &printError);
}

void CThread::reportError(const std::string& title, const std::string& text) {
    errorHandler.load()(title, text);
}

CThread::~CThread() {
    // Normally stopAndJoin() has run in the derived destructor; a std::thread must not be
    // destroyed joinable, and waiting is the only safe choice left.
    if (thread.joinable()) thread.join();
}

void CThread::startThread() {
    running.store(true);
    thread = std::thread(&CThread::threadProcedure, this);
}

void CThread::stopAndJoin() {
    if (running.load()) {
        stopping.store(true);
        wake();
    }
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id()) thread.join();
}

void CThread::threadProcedure(CThread* self) {
    u32 result = 0;
    try {
        result = self->run();
    } catch (const std::exception& e) {
        errorHandler.load()("Error", e.what());
    } catch (...) {
        errorHandler.load()("Error", "unknown error in thread!");
    }
    self->exitCode.store(result);
    self->running.store(false);
}

// The output threads: well above an ordinary real-time client, below the system's own
// top-priority threads.
bool CThread::raiseCurrentThreadPriority() {
    return trySchedFifo(0.25) || tryLowerNice();
}

bool CThread::favourCurrentThread() {
    return trySchedFifo(0.125) || tryLowerNice();
}

} // namespace Output
