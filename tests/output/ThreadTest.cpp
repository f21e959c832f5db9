#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "output/Event.h"
#include "output/Thread.h"
#include "support/TestSupport.h"

using namespace Output;
using namespace std::chrono_literals;

namespace {

std::mutex reportLock;
std::string lastReport;
void keepReport(const std::string& title, const std::string& text) {
    std::lock_guard lock(reportLock);
    lastReport = title + ": " + text;
}

// Runs body; a stop request reaches it only through wake(), which sets stopEvent.
class ProbeThread : public CThread {
  public:
    explicit ProbeThread(std::function<u32(ProbeThread&)> body_) : body(std::move(body_)) {
        startThread();
    }
    ~ProbeThread() override { stopAndJoin(); }
    bool endsWithin(std::chrono::seconds limit) const {
        return TestSupport::waitUntil([this] { return !isRunning(); }, limit);
    }
    CEvent stopEvent{true, false};
    std::atomic<int> wakeCalls{0};

  protected:
    u32 run() override { return body(*this); }
    void wake() override {
        ++wakeCalls;
        stopEvent.set();
    }

  private:
    std::function<u32(ProbeThread&)> body;
};

} // namespace

TEST(Thread, StopRequestWakesARunningThreadOnce) {
    ProbeThread t([](ProbeThread& self) {
        self.stopEvent.wait();
        return 7u;
    });
    t.stopAndJoin();
    EXPECT_FALSE(t.isRunning());
    EXPECT_EQ(t.getExitCode(), 7u);
    t.stopAndJoin();
    EXPECT_EQ(t.wakeCalls.load(), 1);
}

TEST(Thread, ThreadWhoseRunEndedIsNeitherWokenNorWaitedFor) {
    ProbeThread t([](ProbeThread&) { return 3u; });
    ASSERT_TRUE(t.endsWithin(10s));
    t.stopAndJoin();
    EXPECT_EQ(t.wakeCalls.load(), 0);
    EXPECT_EQ(t.getExitCode(), 3u);
}

TEST(Thread, EscapingExceptionsAreShownAndEndTheThread) {
    CThread::setErrorHandler(&keepReport);
    const std::pair<std::function<u32(ProbeThread&)>, std::string> cases[] = {
        {[](ProbeThread&) -> u32 { throw std::runtime_error("render failed"); },
         "Error: render failed"},
        {[](ProbeThread&) -> u32 { throw 42; }, "Error: unknown error in thread!"}};
    for (const auto& [body, shown] : cases) {
        ProbeThread t(body);
        ASSERT_TRUE(t.endsWithin(10s));
        EXPECT_EQ(t.getExitCode(), 0u);
        std::lock_guard lock(reportLock);
        EXPECT_EQ(lastReport, shown);
    }
    CThread::setErrorHandler(nullptr);
}

// Without the privilege the call must quietly leave the priority alone; with it, the thread's
// scheduling must really have changed.
TEST(Thread, RaisingThePriorityIsTriedAndNeverFails) {
    bool raised = false;
    int policy = -1;
    int niceBefore = 0, niceAfter = 0;
    std::thread worker([&] {
        niceBefore = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        raised = CThread::raiseCurrentThreadPriority();
        sched_param param{};
        pthread_getschedparam(pthread_self(), &policy, &param);
        niceAfter = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    });
    worker.join();
    if (raised)
        EXPECT_TRUE(policy == SCHED_FIFO || niceAfter < niceBefore);
    else
        EXPECT_TRUE(policy == SCHED_OTHER && niceAfter == niceBefore);
}
