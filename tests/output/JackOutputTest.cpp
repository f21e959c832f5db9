// The pro output and the playback engine over a real JACK server (dummy backend) of the
// test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "PlaybackFiles.h"
#include "output/AsioError.h"
#include "output/AudioEngine.h"
#include "output/IndependentAudioHost.h"
#include "support/JackTestServer.h"
#include "support/TestSupport.h"

using namespace std::chrono_literals;

namespace {

Output::DeviceDescriptor jackDevice() {
    const auto drivers = ASIO::systemDrivers().list();
    if (drivers.empty()) return {};
    return {drivers[0].clsid, drivers[0].name, Output::AsioDevice};
}

// Without jackd the tests cannot run; with it they must.
// ThreadSanitizer slows the process thread so much that it misses most of the server's
// deadlines; what reaches the recorder then is not what was played. Its run looks for races.
#if defined(__SANITIZE_THREAD__)
constexpr bool keepsRealTime = false;
#else
constexpr bool keepsRealTime = true;
#endif

// What the recorder heard from the first sound on. A client that misses its deadline (under a
// sanitizer, on a busy machine) makes the server hand on its previous period once more; such
// repeats are the server's, and two periods of the test signal are never equal.
std::vector<std::vector<float>> playedStream(const JackTest::Recorder& recorder,
                                             std::size_t period) {
    std::size_t first = 0;
    while (first < recorder.recorded() && recorder.channel(0)[first] == 0.0f)
        ++first;
    first -= first % period;
    std::vector<std::vector<float>> out(2);
    for (std::size_t at = first; at + period <= recorder.recorded(); at += period) {
        const auto* p = recorder.channel(0).data() + at;
        if (at > first && std::equal(p, p + period, p - period)) continue;
        for (std::size_t c = 0; c < 2; ++c)
            out[c].insert(out[c].end(), recorder.channel(static_cast<int>(c)).begin() + at,
                          recorder.channel(static_cast<int>(c)).begin() + at + period);
    }
    return out;
}

// One play of the file as the recorder heard it.
struct Take {
    std::vector<std::vector<float>> played;
    // The machine's load got in the way: the server reported missed periods, or a period of the
    // file came as silence because the player's queue ran dry in time. The test signal is never
    // 0, so silence inside the file is never sound.
    bool disturbed = false;
    // Every frame of the file in order, then silence.
    bool exact = false;
};

Take playOnce(Output::CAudioEngine& engine, Audio::CAudioFileCache& cache,
              const std::string& server, std::size_t frames) {
    JackTest::Recorder recorder(server, 2, 44100 * 3);
    Take take;
    if (!recorder.connectFrom("stretchwerk")) {
        ADD_FAILURE() << "the recorder cannot hear the player";
        return take;
    }
    engine.play(&cache, "f.wav", 0, -1, false, nullptr, 0);
    if (!recorder.waitFor(44100 * 3, 20)) ADD_FAILURE() << "the server stopped running";
    take.played = playedStream(recorder, 512);
    const auto& heard = take.played[0];
    const auto end = heard.begin() + static_cast<std::ptrdiff_t>(std::min(frames, heard.size()));
    take.disturbed = recorder.xruns() > 0 || std::find(heard.begin(), end, 0.0f) != end;
    take.exact = heard.size() > frames && heard[frames] == 0.0f;
    for (std::size_t i = 0; i < frames && take.exact; ++i)
        for (std::size_t c = 0; c < 2; ++c)
            take.exact = take.exact && take.played[c][i] == PlaybackFiles::sample(c, i);
    return take;
}

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

TEST(JackOutput, EnginePlaysAFileExactlyAndReportsALostServerOnTheNextPlay) {
    JackTest::Server server;
    SKIP_WITHOUT_JACKD(server);
    TestSupport::TempDir dir;
    const std::size_t frames = 30000;
    PlaybackFiles::writeWav(dir.file("f.wav"), PlaybackFiles::signal(2, frames));
    auto cache = PlaybackFiles::openCache(dir.file("f.wav"));
    Output::CAudioEngine engine;
    engine.init(jackDevice().id);
    ASSERT_TRUE(engine.isInitialized());
    EXPECT_EQ(engine.getQueue().getConfiguredCapacity(), 30);
    // A take that differs from the file is played again only when the machine's load got in
    // the way; the test needs one exact take.
    Take take = playOnce(engine, *cache, server.name(), frames);
    for (int retake = 1; retake < 8 && keepsRealTime && !take.exact && take.disturbed; ++retake) {
        engine.stop();
        take = playOnce(engine, *cache, server.name(), frames);
    }
    if (keepsRealTime) {
        const auto& played = take.played;
        ASSERT_GT(played[0].size(), frames) << (take.disturbed ? "(disturbed)" : "");
        for (std::size_t i = 0; i < frames; ++i)
            for (std::size_t c = 0; c < 2; ++c)
                ASSERT_EQ(played[c][i], PlaybackFiles::sample(c, i))
                    << i << (take.disturbed ? " (disturbed)" : "");
        EXPECT_EQ(played[0][frames], 0.0f);
    }

    engine.play(cache.get(), "f.wav", 0, -1, true, nullptr, 0);
    server.kill();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return engine.isDeviceLost(); }));
    engine.stop();
    EXPECT_EQ(TestSupport::errorText<ASIO::asio_runtime_error>(
                  [&] { engine.play(cache.get(), "f.wav", 0, -1, false, nullptr, 0); }),
              "asio: start() Failed!\nhardware input or output is not present or available");
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.getMixer().getOwnedCount(), 0u);
    EXPECT_NO_THROW(engine.release());
}
