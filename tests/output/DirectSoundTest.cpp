#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "output/BufferedRenderer.h"
#include "output/DirectSoundRenderingBuffer.h"
#include "support/TestSupport.h"

using namespace DirectSound;
using Output::CAudioRenderer;
using Output::CBufferedRenderer;
using RB = Output::CDirectSoundRenderingBuffer;
using Output::CDirectSoundManager;

namespace {

class SilentSource : public CAudioRenderer {
  public:
    void render(int, float* const* channels, int channelCount, int frames) override {
        for (int c = 0; c < channelCount; ++c)
            std::fill_n(channels[c], frames, 0.25f);
        ++rendered;
    }
    void start() override {}
    void stop() override {}
    std::atomic<int> rendered{0};
};

} // namespace

TEST(DirectSoundErrors, TextEndsWithTheResultName) {
    EXPECT_STREQ(directsound_exception("x failed!", DSERR_NOINTERFACE).what(),
                 "x failed!\nDSERR_NOINTERFACE ");
    EXPECT_STREQ(directsound_exception("x failed!", 0x12345678).what(),
                 "x failed!\nDirect Sound: unknown error code");
    EXPECT_STREQ(directsound_exception("no result").what(), "no result");
}

TEST(DirectSoundConversion, FramesAheadOfThePlayCursor) {
    constexpr Audio::i64 B = 17640;
    EXPECT_EQ(RB::framesAhead(1, 0, B), 2 * B);
    EXPECT_EQ(RB::framesAhead(1, B, B), 3 * B);
    EXPECT_EQ(RB::framesAhead(1, 2 * B - 1, B), 2 * B + 1);
    EXPECT_EQ(RB::framesAhead(0, 2 * B - 1, B), B + 1);
}

TEST(DirectSoundManager, OpensListedDevicesOnlyAndOnlyOnce) {
    CDirectSoundManager manager;
    EXPECT_EQ(TestSupport::errorText([&] { manager.Init(Output::deviceIdForName("no such pcm")); }),
              "CDirectSoundManager::Init() DirectSoundCreate Failed!\n\nDSERR_NODRIVER");
    EXPECT_FALSE(manager.isInitialized());
    manager.Init(Output::deviceIdForName(CLOCK_DEVICE_NAME));
    EXPECT_EQ(
        TestSupport::errorText([&] { manager.Init(Output::deviceIdForName(CLOCK_DEVICE_NAME)); }),
        "CDirectSoundManager::Init() pDirectSound already initialized!\n");
    manager.Release();
    manager.Init(Output::deviceIdForName(CLOCK_DEVICE_NAME));
    EXPECT_TRUE(manager.isInitialized());
}

TEST(DirectSoundRenderingBuffer, StartWithoutRendererThrowsBeforePlaying) {
    CDirectSoundManager manager;
    manager.Init(Output::deviceIdForName(CLOCK_DEVICE_NAME));
    RB output(manager);
    output.init(441);
    EXPECT_EQ(TestSupport::errorText([&] { output.start(); }),
              "CDirectSoundRenderingBuffer::start: no renderer avail! cannot start!");
    EXPECT_EQ(output.getFramesDelivered(), 0);
    // Nothing plays: the cursor stays at the start, with segment 0 as the last one filled.
    EXPECT_EQ(output.getCurrentPlayPosition(), 3 * 441);
}

// A queue that fails in its start after it became active (its wake-up event can throw): the
// output must not leave it running.
TEST(DirectSoundRenderingBuffer, FailedStartStopsTheQueueAgain) {
    class FailingQueue : public CBufferedRenderer {
      public:
        void start() override {
            CBufferedRenderer::start();
            throw std::runtime_error("the queue failed");
        }
    };
    SilentSource source;
    FailingQueue queue;
    queue.setSource(&source);
    CDirectSoundManager manager;
    manager.Init(Output::deviceIdForName(CLOCK_DEVICE_NAME));
    RB output(manager);
    output.init(441);
    output.setRenderer(&queue);
    EXPECT_EQ(TestSupport::errorText([&] { output.start(); }), "the queue failed");
    EXPECT_FALSE(queue.isActive());
}

// The clock-paced device plays like a sound card: notifications come, segments are refilled
// from the queue, and right after start the whole buffer lies ahead of the cursor.
TEST(DirectSoundRenderingBuffer, ClockDeviceKeepsRefillingFromTheQueue) {
    constexpr int B = 2205;
    SilentSource source;
    CBufferedRenderer queue;
    queue.setSource(&source);
    queue.setCapacity(2);
    CDirectSoundManager manager;
    manager.Init(Output::deviceIdForName(CLOCK_DEVICE_NAME));
    RB output(manager);
    output.init(B);
    output.setRenderer(&queue);
    output.start();
    const auto ahead = output.getCurrentPlayPosition();
    EXPECT_LE(ahead, 2 * B);
    EXPECT_GT(ahead, B);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (output.getFramesDelivered() < 8 * B && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(output.getFramesDelivered(), 8 * B);
    output.Stop();
    EXPECT_FALSE(queue.isActive());
    EXPECT_GE(source.rendered.load(), 8);
    const auto delivered = output.getFramesDelivered();
    output.start();
    EXPECT_EQ(output.getFramesDelivered(), 2 * B);
    EXPECT_GT(delivered, 2 * B);
    output.Stop();
}
