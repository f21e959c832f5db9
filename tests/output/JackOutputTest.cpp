// The pro output over a real JACK server (dummy backend) of the test's own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "JackTestServer.h"
#include "output/IndependentAudioHost.h"

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

#define SKIP_WITHOUT_JACKD(server)                                                                 \
    if (!(server).available()) GTEST_SKIP() << "jackd is not installed; install jackd2 to run "    \
                                               "this"

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
