#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "output/Event.h"
#include "output/Thread.h"

using namespace Output;
using namespace std::chrono_literals;

namespace {

struct Report {
    std::string title;
    std::string text;
};
std::mutex reportsLock;
std::vector<Report> reports;

void collectReport(const std::string& title, const std::string& text) {
    std::lock_guard lock(reportsLock);
    reports.push_back({title, text});
}

class CapturedErrors : public ::testing::Test {
  protected:
    void SetUp() override {
        std::lock_guard lock(reportsLock);
        reports.clear();
        CThread::setErrorHandler(&collectReport);
    }
    void TearDown() override { CThread::setErrorHandler(nullptr); }
    static std::vector<Report> taken() {
        std::lock_guard lock(reportsLock);
        return reports;
    }
};

// Runs until asked to stop; the stop request reaches it only through wake().
class WaitingThread : public CThread {
  public:
    WaitingThread() { startThread(); }
    ~WaitingThread() override { stopAndJoin(); }
    CEvent started{true, false};
    std::atomic<int> wakeCalls{0};

  protected:
    u32 run() override {
        started.set();
        while (!stopRequested())
            wakeup.wait();
        return 7;
    }
    void wake() override {
        ++wakeCalls;
        wakeup.set();
    }

  private:
    CEvent wakeup{false, false};
};

template <typename Fn> class OneShotThread : public CThread {
  public:
    explicit OneShotThread(Fn fn_) : fn(fn_) { startThread(); }
    ~OneShotThread() override { stopAndJoin(); }
    std::atomic<int> wakeCalls{0};

  protected:
    u32 run() override { return fn(); }
    void wake() override { ++wakeCalls; }

  private:
    Fn fn;
};

// Polls, with a generous limit, until the thread's run() has returned.
bool endsWithin(const CThread& t, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (t.isRunning()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

} // namespace

TEST_F(CapturedErrors, StopRequestWakesTheThreadAndKeepsItsExitCode) {
    WaitingThread t;
    ASSERT_TRUE(t.started.waitFor(10s));
    EXPECT_TRUE(t.isRunning());
    t.stopAndJoin();
    EXPECT_FALSE(t.isRunning());
    EXPECT_EQ(t.getExitCode(), 7u);
    EXPECT_EQ(t.wakeCalls.load(), 1);
    t.stopAndJoin();
    EXPECT_EQ(t.wakeCalls.load(), 1);
    EXPECT_TRUE(taken().empty());
}

TEST_F(CapturedErrors, ThreadWhoseRunEndedIsNeitherWokenNorWaitedFor) {
    auto fn = [] { return 3u; };
    OneShotThread<decltype(fn)> t(fn);
    ASSERT_TRUE(endsWithin(t, 10s));
    t.stopAndJoin();
    EXPECT_EQ(t.wakeCalls.load(), 0);
    EXPECT_EQ(t.getExitCode(), 3u);
}

TEST_F(CapturedErrors, StandardExceptionIsShownWithItsTextAndEndsTheThread) {
    auto fn = []() -> u32 { throw std::runtime_error("render failed"); };
    OneShotThread<decltype(fn)> t(fn);
    ASSERT_TRUE(endsWithin(t, 10s));
    t.stopAndJoin();
    EXPECT_EQ(t.getExitCode(), 0u);
    const auto got = taken();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].title, "Error");
    EXPECT_EQ(got[0].text, "render failed");
}

TEST_F(CapturedErrors, OtherExceptionIsShownAsUnknownError) {
    auto fn = []() -> u32 { throw 42; };
    OneShotThread<decltype(fn)> t(fn);
    ASSERT_TRUE(endsWithin(t, 10s));
    t.stopAndJoin();
    const auto got = taken();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].title, "Error");
    EXPECT_EQ(got[0].text, "unknown error in thread!");
}

// Without the privilege the call must quietly leave the priority alone; with it, the thread's
// scheduling must really have changed.
TEST(ThreadPriority, RaisingIsTriedAndNeverFails) {
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
