#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

#include "audio/SampleCodec.h"
#include "output/BufferedRenderer.h"
#include "output/DirectSoundRenderingBuffer.h"
#include "support/AlsaTestHome.h"
#include "support/TestSupport.h"

using namespace DirectSound;
using Output::CAudioRenderer;
using Output::CBufferedRenderer;
using Output::CDirectSoundManager;
using Output::CDirectSoundRenderingBuffer;

namespace {

const auto* const alsaHome = ::testing::AddGlobalTestEnvironment(new AlsaTestHome);

// Block n, channel c, frame i: a value that differs from frame to frame and block to block and
// reaches full scale on both sides.
float patternSample(int block, int channel, int frame) {
    return static_cast<float>((block * 7 + frame * 13 + channel * 5) % 2001 - 1000) / 1000.0f;
}

class PatternSource : public CAudioRenderer {
  public:
    void render(int, float* const* channels, int channelCount, int frames) override {
        const int n = rendered++;
        for (int c = 0; c < channelCount; ++c)
            for (int i = 0; i < frames; ++i)
                channels[c][i] = patternSample(n, c, i);
    }
    void start() override {}
    void stop() override {}
    std::atomic<int> rendered{0};
};

} // namespace

TEST(AlsaDevices, DefaultFirstThenHintsThenTheClockDevice) {
    std::vector<DeviceEntry> devices;
    ASSERT_EQ(enumerateDevices(devices), DS_OK);
    ASSERT_GE(devices.size(), 3u);
    EXPECT_EQ(devices.front().description, "default");
    EXPECT_EQ(devices.front().id, Guid{});
    EXPECT_EQ(devices.back().description, CLOCK_DEVICE_NAME);
    const auto test = std::find_if(devices.begin(), devices.end(),
                                   [](const DeviceEntry& d) { return d.pcmName == "swktest"; });
    ASSERT_NE(test, devices.end());
    EXPECT_EQ(test->description, "Stretchwerk test capture (swktest)");
    EXPECT_EQ(test->id, Output::deviceIdForName("swktest"));
    std::set<Guid> ids;
    for (const auto& d : devices)
        ids.insert(d.id);
    EXPECT_EQ(ids.size(), devices.size());
    // The identifiers do not change from one listing to the next.
    std::vector<DeviceEntry> again;
    enumerateDevices(again);
    ASSERT_EQ(again.size(), devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i)
        EXPECT_EQ(again[i].id, devices[i].id);
}

TEST(AlsaOutput, ListedDeviceThatCannotBeOpenedReportsNoDriver) {
    std::vector<DeviceEntry> devices;
    enumerateDevices(devices);
    ASSERT_TRUE(std::any_of(devices.begin(), devices.end(),
                            [](const DeviceEntry& d) { return d.pcmName == "swkmissing"; }));
    Output::CDirectSoundManager manager;
    EXPECT_EQ(TestSupport::errorText<directsound_exception>(
                  [&] { manager.Init(Output::deviceIdForName("swkmissing")); }),
              "CDirectSoundManager::Init() DirectSoundCreate Failed!\n\n"
              "DSERR_NODRIVER");
    EXPECT_FALSE(manager.isInitialized());
}

// What reaches ALSA must be the queue's blocks, one per segment and in order, as 16-bit
// frames. The blocks are first grown beyond a segment by a larger block format: only a
// segment's worth of each may be written.
TEST(AlsaOutput, PlaysTheQueuesBlocksInOrderAsSixteenBitFrames) {
    constexpr int B = 4410;
    PatternSource source;
    CBufferedRenderer queue;
    queue.setSource(&source);
    queue.setBlockFormat(2, 3 * B);
    queue.start();
    Output::AudioBlockPtr taken = std::make_unique<Output::CAudioBlock>();
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(queue.getNextBlock(taken));
    queue.stop();
    const int firstPlayed = source.rendered.load();

    CDirectSoundManager manager;
    manager.Init(Output::deviceIdForName("swktest"));
    {
        CDirectSoundRenderingBuffer output(manager);
        output.init(B);
        output.setRenderer(&queue);
        output.start();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return output.getFramesDelivered() >= 10 * B; },
                                           std::chrono::seconds(30)));
        output.Stop();
    }
    manager.Release();

    const auto bytes = TestSupport::readBytes(AlsaTestHome::capture);
    const int segments = std::min<int>(static_cast<int>(bytes.size() / (4 * B)), 8);
    ASSERT_GE(segments, 7);
    for (int s = 0; s < segments; ++s)
        for (int i = 0; i < B; ++i)
            for (int c = 0; c < 2; ++c) {
                const std::size_t at = (static_cast<std::size_t>(s) * B + i) * 4 + 2 * c;
                const auto got = static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
                const auto want =
                    Audio::SampleCodec::encode16(patternSample(firstPlayed + s, c, i));
                ASSERT_EQ(got, want) << "segment " << s << " frame " << i << " channel " << c;
            }
}
