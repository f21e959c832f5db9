// The pro output over a real JACK server (dummy backend) of the test's own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "JackTestServer.h"
#include "PlaybackFiles.h"
#include "output/AudioEngine.h"
#include "output/IndependentAudioHost.h"
#include "support/TestSupport.h"

using namespace std::chrono_literals;
using Output::CIndependentAudioHost;

namespace {

// Frame k of the stream holds a value that is never 0 and differs between channels.
float streamSample(long k, int channel) {
    const float v = static_cast<float>(k % 1000 + 1) / 2000.0f;
    return channel == 0 ? v : -v;
}

class StreamSource : public Output::CAudioRenderer {
  public:
    void render(int, float* const* channels, int channelCount, int frames) override {
        for (int c = 0; c < channelCount; ++c)
            for (int i = 0; i < frames; ++i)
                channels[c][i] = streamSample(next + i, c);
        next += frames;
    }
    void start() override { next = 0; }
    void stop() override {}

  private:
    long next = 0;
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

Output::DeviceDescriptor jackDevice() {
    const auto drivers = ASIO::systemDrivers().list();
    if (drivers.empty()) return {};
    return {drivers[0].clsid, drivers[0].name, Output::AsioDevice};
}

// Without jackd the tests cannot run; with it they must.
#define SKIP_WITHOUT_JACKD(server)                                                                 \
    if (!(server).installed()) GTEST_SKIP() << "jackd is not installed (install jackd2)";          \
    ASSERT_TRUE((server).available()) << "jackd is installed but did not start"

} // namespace

TEST(JackOutput, ProbingIsSilentAndListsOnlyARunningServer) {
    JackTest::Server server;
    SKIP_WITHOUT_JACKD(server);
    const auto drivers = ASIO::systemDrivers().list();
    ASSERT_EQ(drivers.size(), 1u);
    EXPECT_EQ(drivers[0].name, "JACK (" + server.name() + ")");

    ::setenv("JACK_DEFAULT_SERVER", (server.name() + "-absent").c_str(), 1);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const auto none = ASIO::systemDrivers().list();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(none.empty());
    ::setenv("JACK_DEFAULT_SERVER", server.name().c_str(), 1);
}

TEST(JackOutput, PlaysTheQueuedBlocksSampleForSample) {
    JackTest::Server server;
    SKIP_WITHOUT_JACKD(server);
    JackTest::Recorder recorder(server.name(), 2, 44100 * 4);
    StreamSource source;
    Output::CBufferedRenderer queue;
    queue.setSource(&source);
    CIndependentAudioHost host;
    host.setRenderer(&queue);
    host.init(nullptr, jackDevice());
    EXPECT_EQ(host.getFramesPerBuffer(), 512);
    EXPECT_EQ(host.getSampleRate(), 44100.0);
    ASSERT_TRUE(recorder.connectFrom("stretchwerk"));
    host.start();
    ASSERT_TRUE(recorder.waitFor(44100 * 4, 20));
    host.stop();
    host.release();

    const auto& left = recorder.channel(0);
    const auto& right = recorder.channel(1);
    std::size_t first = 0;
    while (first < left.size() && left[first] == 0.0f)
        ++first;
    ASSERT_LT(first + 44100, left.size()) << "less than a second was played";
    for (std::size_t i = first; i < left.size(); ++i) {
        const long k = static_cast<long>(i - first);
        ASSERT_EQ(left[i], streamSample(k, 0)) << "frame " << k;
        ASSERT_EQ(right[i], streamSample(k, 1)) << "frame " << k;
    }
}

TEST(JackOutput, ServerThatGoesAwayEndsPlaybackCleanly) {
    JackTest::Server server;
    SKIP_WITHOUT_JACKD(server);
    StreamSource source;
    Output::CBufferedRenderer queue;
    queue.setSource(&source);
    CIndependentAudioHost host;
    host.setRenderer(&queue);
    host.init(nullptr, jackDevice());
    host.start();
    ASSERT_TRUE(waitUntil([&] { return host.getFramesPlayed() > 4096; }));
    server.kill();
    ASSERT_TRUE(waitUntil([&] { return host.isDeviceLost(); }));
    host.stop();
    try {
        host.start();
        FAIL() << "a start without a server succeeded";
    } catch (const ASIO::asio_runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "asio: start() Failed!\nhardware input or output is not present or available");
    }
    EXPECT_FALSE(queue.isActive());
    host.release();
    EXPECT_THROW(host.init(nullptr, jackDevice()), std::runtime_error);
}

TEST(JackOutput, EnginePlaysAFileExactlyAndReportsALostServerOnTheNextPlay) {
    JackTest::Server server;
    SKIP_WITHOUT_JACKD(server);
    TestSupport::TempDir dir;
    const std::size_t frames = 30000;
    PlaybackFiles::writeWav(dir.file("f.wav"), PlaybackFiles::signal(2, frames));
    auto cache = PlaybackFiles::openCache(dir.file("f.wav"));
    JackTest::Recorder recorder(server.name(), 2, 44100 * 3);
    Output::CAudioEngine engine;
    engine.init(nullptr, jackDevice().id);
    ASSERT_TRUE(engine.isInitialized());
    EXPECT_EQ(engine.getQueue().getConfiguredCapacity(), 30);
    ASSERT_TRUE(recorder.connectFrom("stretchwerk"));
    engine.play(cache.get(), "f.wav", 0, -1, false, nullptr, 0);
    ASSERT_TRUE(recorder.waitFor(44100 * 3, 20));
    const auto& left = recorder.channel(0);
    std::size_t first = 0;
    while (first < left.size() && left[first] == 0.0f)
        ++first;
    ASSERT_LT(first + frames, left.size());
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(recorder.channel(c)[first + i], PlaybackFiles::sample(c, i)) << i;
    EXPECT_EQ(left[first + frames], 0.0f);

    engine.play(cache.get(), "f.wav", 0, -1, true, nullptr, 0);
    server.kill();
    ASSERT_TRUE(waitUntil([&] { return engine.isDeviceLost(); }));
    engine.stop();
    try {
        engine.play(cache.get(), "f.wav", 0, -1, false, nullptr, 0);
        FAIL() << "played without a server";
    } catch (const ASIO::asio_runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "asio: start() Failed!\nhardware input or output is not present or available");
    }
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.getMixer().getOwnedCount(), 0u);
}
