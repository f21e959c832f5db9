#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "output/Event.h"
#include "output/Semaphore.h"
#include "support/TestSupport.h"

using namespace Output;
using namespace std::chrono_literals;

TEST(Event, ManualResetStaysSignalledUntilReset) {
    CEvent e(true, false);
    EXPECT_FALSE(e.waitFor(0ms));
    e.set();
    EXPECT_TRUE(e.waitFor(0ms));
    EXPECT_TRUE(e.waitFor(0ms));
    e.reset();
    EXPECT_FALSE(e.isSignalled());
    EXPECT_TRUE(CEvent(true, true).isSignalled());
}

TEST(Event, AutoResetLetsOneWaiterThrough) {
    CEvent e(false, true);
    EXPECT_TRUE(e.waitFor(0ms));
    EXPECT_FALSE(e.waitFor(0ms));
    e.set();
    e.set();
    EXPECT_TRUE(e.waitFor(0ms));
    EXPECT_FALSE(e.isSignalled());
}

TEST(Event, AutoResetReleasesWaitersOneSetAtATime) {
    CEvent e(false, false);
    CEvent firstPassed(true, false);
    std::atomic<int> passed{0};
    auto waiter = [&] {
        e.wait();
        if (++passed == 1) firstPassed.set();
    };
    std::thread a(waiter), b(waiter);
    e.set();
    ASSERT_TRUE(firstPassed.waitFor(10s));
    // The second waiter may still be on its way to wait(); either way it needs its own set.
    EXPECT_EQ(passed.load(), 1);
    e.set();
    a.join();
    b.join();
    EXPECT_EQ(passed.load(), 2);
}

TEST(Semaphore, CountsStayWithinTheMaximum) {
    CSemaphore s(1, 3);
    EXPECT_TRUE(s.tryWait());
    EXPECT_FALSE(s.tryWait());
    s.release(3);
    EXPECT_EQ(s.getCount(), 3);
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] {
                  s.release(1);
              }).rfind("CSemaphore::CSemaphore() release: ", 0),
              0u);
    EXPECT_EQ(s.getCount(), 3);
    EXPECT_THROW(s.release(0), std::runtime_error);
    EXPECT_EQ(s.getCount(), 3);
}

TEST(Semaphore, ImpossibleCountsAreRefusedAtCreation) {
    for (auto [initial, maximum] : {std::pair{4, 3}, std::pair{-1, 3}, std::pair{0, 0}})
        EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] {
                      CSemaphore s(initial, maximum);
                  }).rfind("CSemaphore::CSemaphore() CreateSemaphore: ", 0),
                  0u)
            << initial << "/" << maximum;
}

TEST(Semaphore, WaitBlocksUntilAnotherThreadReleases) {
    CSemaphore s(0, 2);
    std::atomic<bool> released{false};
    std::thread giver([&] {
        released = true;
        s.release(1);
    });
    s.wait();
    EXPECT_TRUE(released.load());
    giver.join();
    EXPECT_EQ(s.getCount(), 0);
    EXPECT_FALSE(s.waitFor(1ms));
}
