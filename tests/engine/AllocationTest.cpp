// The engine's per-call path must not allocate; the counter also sees malloc outside the
// sanitizer builds, so allocations inside FFTW count too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/EngineDriver.h"
#include "support/AllocationCounter.h"

using namespace EngineTest;

TEST(Allocation, EngineCallsAllocateNothing) {
    // Shared tables are built once per process; make sure that has happened.
    (void)process({tone(8192, 440.0, 44100.0)}, Settings{});

    std::vector<Signal> buffers(2, tone(KALO2_BufferFrames, 300.0, 44100.0));
    float* channels[Audio::kMaxEngineChannels] = {buffers[0].data(), buffers[1].data()};
    StateBuffer states[2];
    const int qualities[2] = {1, 4};
    AllocationCounter::resetCount();
    AllocationCounter::watchThisThread();
    for (int q = 0; q < 2; ++q) {
        std::uint32_t position = 0, request = 4096;
        for (int call = 0; call < 20; ++call)
            KALO2_Process(1.3, 1.2, 0.8, qualities[q], q ? 96000.0f : 44100.0f, 2, 0, &position,
                          &request, channels, states[q].get());
    }
    AllocationCounter::stopWatchingThisThread();
    EXPECT_EQ(AllocationCounter::count(), 0u);

    // The counter itself must see allocations, or the check above proves nothing.
    AllocationCounter::watchThisThread();
    auto* probe = new std::vector<int>(1000);
    const std::size_t afterNew = AllocationCounter::count();
    void* volatile raw = std::malloc(64); // volatile: the pair must not be optimised away
    AllocationCounter::stopWatchingThisThread();
    std::free(raw);
    delete probe;
    EXPECT_GT(afterNew, 0u);
    if (AllocationCounter::seesMalloc()) {
        EXPECT_GT(AllocationCounter::count(), afterNew);
    }
}
