// The mixer, its voices and the playback engine: commands, channel mapping, loops, listener
// reports, and playing through a scripted driver and the clock-paced system output.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "PlaybackFiles.h"
#include "ScriptedDriver.h"
#include "output/AudioEngine.h"
#include "output/alsa/SoundDevice.h"
#include "support/AllocationCounter.h"
#include "support/TestSupport.h"

using namespace Output;
using namespace std::chrono_literals;
using Audio::i64;

namespace {

class RecordingListener : public CPlaybackListener {
  public:
    void started(Audio::i32 value, i64 frame) override {
        std::lock_guard lock(m);
        starts.push_back(frame);
        values.push_back(value);
    }
    void position(Audio::i32 value, i64 frame) override {
        std::lock_guard lock(m);
        positions.push_back(frame);
        values.push_back(value);
    }
    i64 lastPosition() {
        std::lock_guard lock(m);
        return positions.empty() ? -1 : positions.back();
    }
    std::mutex m;
    std::vector<i64> starts, positions;
    std::vector<Audio::i32> values;
};

// Renders one block of `channels` channels through the mixer.
std::vector<std::vector<float>> renderBlock(CAudioRenderer& r, int channels, int frames) {
    std::vector<std::vector<float>> out(static_cast<std::size_t>(channels),
                                        std::vector<float>(static_cast<std::size_t>(frames), -9));
    std::vector<float*> p;
    for (auto& c : out)
        p.push_back(c.data());
    r.render(0, p.data(), channels, frames);
    return out;
}

struct FileFixture {
    TestSupport::TempDir dir;
    std::unique_ptr<Audio::CAudioFileCache> cache;
    explicit FileFixture(std::size_t channels, std::size_t frames) {
        PlaybackFiles::writeWav(dir.file("f.wav"), PlaybackFiles::signal(channels, frames));
        cache = PlaybackFiles::openCache(dir.file("f.wav"));
    }
    std::unique_ptr<Audio::CAudioPlayback> reader(i64 start = 0, i64 end = -1, bool loop = false) {
        auto r = std::make_unique<Audio::CAudioPlayback>(cache.get(), 1.0f);
        r->setLoop(start, end);
        r->loop = loop;
        r->useRange = true;
        return r;
    }
};

} // namespace

TEST(MixRenderer, VoicesEnterAndLeaveByCommandAndAreDeletedOnlyAfterRelease) {
    FileFixture file(2, 5000);
    CMixRenderer mixer;
    RecordingListener listener;
    mixer.start();
    auto* voice = new CPlaybackVoice(mixer, file.reader(), "f.wav", &listener, 42);
    renderBlock(mixer, 2, 512);
    EXPECT_EQ(mixer.getOwnedCount(), 1u);
    EXPECT_EQ(mixer.getActiveCount(), 0u);
    voice->start();
    const auto first = renderBlock(mixer, 2, 512);
    EXPECT_EQ(mixer.getActiveCount(), 1u);
    EXPECT_EQ(first[1][0], PlaybackFiles::sample(1, 0));
    EXPECT_EQ(listener.starts, std::vector<i64>{512});
    renderBlock(mixer, 2, 512);
    voice->stop();
    renderBlock(mixer, 2, 512);
    EXPECT_EQ(mixer.getActiveCount(), 0u);
    EXPECT_EQ(listener.lastPosition(), 512 + 1024);
    // Stopped but not released: still owned, and the user-interface thread may still use it.
    EXPECT_EQ(mixer.getOwnedCount(), 1u);
    EXPECT_EQ(voice->getDisplayName(), "f.wav");
    voice->release();
    mixer.postCommand(CMixRenderer::Release, voice);
    EXPECT_EQ(mixer.getOwnedCount(), 1u);
    renderBlock(mixer, 2, 512);
    EXPECT_EQ(mixer.getOwnedCount(), 0u);
    EXPECT_EQ(file.cache->getUsers(), 0u);
    EXPECT_EQ(listener.values, std::vector<Audio::i32>(listener.values.size(), 42));
}

TEST(PlaybackVoice, LoopShorterThanABlockRepeatsWithoutAGap) {
    FileFixture file(2, 1000);
    CMixRenderer mixer;
    mixer.start();
    auto* voice = new CPlaybackVoice(mixer, file.reader(100, 400, true), "", nullptr, 0);
    voice->start();
    const auto out = renderBlock(mixer, 2, 1024);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < 1024; ++i)
            ASSERT_EQ(out[c][i], PlaybackFiles::sample(c, 100 + i % 300)) << c << " " << i;
    EXPECT_TRUE(voice->isActive());
}

TEST(MixRenderer, SteadyRenderingAndCommandsAllocateNothing) {
    FileFixture file(1, 3000);
    CMixRenderer mixer;
    RecordingListener listener;
    listener.positions.reserve(1000);
    listener.values.reserve(2000);
    listener.starts.reserve(100);
    mixer.start();
    auto* voice = new CPlaybackVoice(mixer, file.reader(0, 2000, true), "", &listener, 0);
    voice->start();
    std::size_t allocations = 1;
    std::thread producer([&] {
        AllocationCounter::watchThisThread();
        std::vector<std::vector<float>> out(2, std::vector<float>(512));
        float* p[2] = {out[0].data(), out[1].data()};
        for (int i = 0; i < 8; ++i)
            mixer.render(0, p, 2, 512);
        AllocationCounter::resetCount();
        for (int i = 0; i < 100; ++i) {
            if (i % 10 == 5) voice->stop();
            if (i % 10 == 7) voice->start();
            mixer.render(0, p, 2, 512);
        }
        allocations = AllocationCounter::count();
    });
    producer.join();
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(mixer.getActiveCount(), 1u);
}

TEST(PlaybackVoice, FileChannelsRepeatAcrossWiderOutputs) {
    FileFixture mono(1, 3000);
    FileFixture stereo(2, 3000);
    CMixRenderer mixer;
    mixer.start();
    auto* m = new CPlaybackVoice(mixer, mono.reader(), "", nullptr, 0);
    m->start();
    const auto two = renderBlock(mixer, 2, 256);
    EXPECT_EQ(two[0], two[1]);
    EXPECT_EQ(two[0][5], PlaybackFiles::sample(0, 5));
    m->stop();
    auto* s = new CPlaybackVoice(mixer, stereo.reader(), "", nullptr, 0);
    s->start();
    const auto four = renderBlock(mixer, 4, 256);
    EXPECT_EQ(four[0][7], PlaybackFiles::sample(0, 7));
    EXPECT_EQ(four[1][7], PlaybackFiles::sample(1, 7));
    EXPECT_EQ(four[2], four[0]);
    EXPECT_EQ(four[3], four[1]);
}

TEST(PlaybackVoice, RangeEndStopsTheVoiceWhichReportsWhereItEnded) {
    FileFixture file(2, 4000);
    CMixRenderer mixer;
    RecordingListener listener;
    mixer.start();
    auto* voice = new CPlaybackVoice(mixer, file.reader(500, 2000), "", &listener, 0);
    voice->start();
    renderBlock(mixer, 2, 1024);
    const auto second = renderBlock(mixer, 2, 1024);
    EXPECT_EQ(second[0][475], PlaybackFiles::sample(0, 1999));
    EXPECT_EQ(second[0][476], 0.0f);
    EXPECT_FALSE(voice->isActive());
    renderBlock(mixer, 2, 1024);
    EXPECT_EQ(mixer.getActiveCount(), 0u);
    EXPECT_EQ(listener.starts.at(0), 0);
    EXPECT_EQ(listener.lastPosition(), 1500);
}

TEST(AudioPlayback, LoopBoundsAreChecked) {
    FileFixture file(1, 3000);
    Audio::CAudioPlayback reader(file.cache.get(), 44100.0f);
    EXPECT_EQ(TestSupport::errorText([&] { reader.setLoop(1000, 1000); }),
              "CAudioPlayback::setLoop() settings. start position cannot be higher or equal than "
              "the end position!\n");
    EXPECT_THROW(reader.setLoop(2000, 1000), std::invalid_argument);
    reader.setLoop(0, -1);
    EXPECT_EQ(reader.loopEnd, 3000);
    reader.setLoop(10, 99999);
    EXPECT_EQ(reader.loopEnd, 3000);
    EXPECT_EQ(reader.loopStart, 10);
    // A range that starts before the file starts at its first frame.
    reader.setLoop(-500, 100);
    EXPECT_EQ(reader.loopStart, 0);
    reader.useRange = true;
    reader.start();
    std::vector<float> out(4, -9.0f);
    float* dest[] = {out.data()};
    reader.process(dest, 1, 4);
    EXPECT_EQ(out[0], PlaybackFiles::sample(0, 0));
    EXPECT_EQ(out[3], PlaybackFiles::sample(0, 3));
}

// A stop from the user-interface thread waits for a render of the voice that is running, so
// the reader is never stopped in the middle of its work.
TEST(PlaybackVoice, StopFromAnotherThreadWaitsForTheRunningRender) {
    class WatchedReader : public Audio::CAudioPlayback {
      public:
        using CAudioPlayback::CAudioPlayback;
        std::atomic<bool> rendering{false}, stopComing{false}, stoppedWhileRendering{false};
        void process(float** dest, Audio::u32 channels, Audio::u32 frames) override {
            rendering = true;
            for (int i = 0; i < 2000 && !stopComing; ++i)
                std::this_thread::sleep_for(1ms);
            std::this_thread::sleep_for(50ms); // time for an unguarded stop to cut in
            CAudioPlayback::process(dest, channels, frames);
            rendering = false;
        }
        void stop() override {
            if (rendering) stoppedWhileRendering = true;
            CAudioPlayback::stop();
        }
    };
    FileFixture file(1, 3000);
    CMixRenderer mixer;
    mixer.start();
    auto owned = std::make_unique<WatchedReader>(file.cache.get(), 1.0f);
    WatchedReader& reader = *owned;
    auto* voice = new CPlaybackVoice(mixer, std::move(owned), "", nullptr, 0);
    voice->start();
    std::thread render([&] { renderBlock(*voice, 1, 64); });
    while (!reader.rendering)
        std::this_thread::sleep_for(1ms);
    reader.stopComing = true;
    voice->stop();
    render.join();
    EXPECT_FALSE(reader.stoppedWhileRendering);
    EXPECT_FALSE(voice->isActive());
    voice->release();
    mixer.postCommand(CMixRenderer::Release, voice);
    renderBlock(mixer, 1, 64);
    EXPECT_EQ(mixer.getOwnedCount(), 0u);
}

namespace {

// An engine on a scripted two-output driver with 64-frame buffers; the test plays the driver.
struct ScriptedEngine {
    ScriptedAsio::ScriptedSource drivers;
    CAudioEngine engine{drivers};
    ScriptedEngine() {
        drivers.setup = [](ScriptedAsio::ScriptedDriver& d) { d.rate = 44100.0; };
        engine.init(ScriptedAsio::DRIVER_ID);
    }
    // Runs buffer switches until `frames` frames have been sent; returns them per channel.
    std::vector<std::vector<float>> take(std::size_t frames) {
        std::vector<std::vector<float>> out(2);
        int half = 0;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (out[0].size() < frames && std::chrono::steady_clock::now() < deadline) {
            const i64 before = engine.getFramesPlayed();
            drivers.last->callbacks->bufferSwitch(half, true);
            if (engine.getFramesPlayed() == before) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            for (int c = 0; c < 2; ++c) {
                const auto* p = reinterpret_cast<const float*>(
                    drivers.last->memory[static_cast<std::size_t>(c * 2 + half)].data());
                out[static_cast<std::size_t>(c)].insert(out[static_cast<std::size_t>(c)].end(), p,
                                                        p + 64);
            }
            half ^= 1;
        }
        return out;
    }
};

} // namespace

TEST(AudioEngine, PlaysARangeThroughTheDriverAndThenSilence) {
    ScriptedEngine s;
    ASSERT_TRUE(s.engine.isInitialized());
    EXPECT_EQ(s.engine.getQueue().getConfiguredCapacity(), 30);
    FileFixture file(1, 3000);
    RecordingListener listener;
    s.engine.play(file.cache.get(), "f.wav", 1000, 2500, false, &listener, 3);
    const auto out = s.take(1600);
    for (std::size_t i = 0; i < 1500; ++i) {
        ASSERT_EQ(out[0][i], PlaybackFiles::sample(0, 1000 + i)) << i;
        ASSERT_EQ(out[1][i], out[0][i]) << i;
    }
    for (std::size_t i = 1500; i < out[0].size(); ++i)
        ASSERT_EQ(out[0][i], 0.0f) << i;
    EXPECT_FALSE(s.engine.isVoiceActive());
    EXPECT_TRUE(s.engine.isPlaying());
    s.engine.stop();
    EXPECT_EQ(listener.lastPosition(), 1500);
    EXPECT_EQ(s.engine.getMixer().getOwnedCount(), 0u);
}

TEST(AudioEngine, PlayingAgainLeavesOneVoice) {
    ScriptedEngine s;
    FileFixture file(2, 50000);
    s.engine.play(file.cache.get(), "a", 0, -1, false, nullptr, 0);
    s.engine.play(file.cache.get(), "b", 0, -1, true, nullptr, 0);
    s.take(256);
    EXPECT_EQ(s.engine.getMixer().getActiveCount(), 1u);
    EXPECT_EQ(s.engine.getMixer().getOwnedCount(), 1u);
    EXPECT_TRUE(s.engine.getLoop());
    s.engine.stopIfPlaying(nullptr);
    EXPECT_TRUE(s.engine.isPlaying());
    s.engine.stopIfPlaying(file.cache.get());
    EXPECT_FALSE(s.engine.isPlaying());
    EXPECT_EQ(s.engine.getMixer().getOwnedCount(), 0u);
}

TEST(AudioEngine, RefusesWhatItCannotPlay) {
    ScriptedEngine s;
    FileFixture six(6, 1000);
    EXPECT_EQ(TestSupport::errorText(
                  [&] { s.engine.play(six.cache.get(), "", 0, -1, false, nullptr, 0); }),
              "the file has too many channels to be played!");
    FileFixture file(2, 3000);
    EXPECT_THROW(s.engine.play(file.cache.get(), "", 1000, 1000, false, nullptr, 0),
                 std::invalid_argument);
    EXPECT_FALSE(s.engine.getHost().isStarted());
    EXPECT_EQ(s.engine.getMixer().getOwnedCount(), 0u);

    ScriptedAsio::ScriptedSource drivers;
    CAudioEngine absent(drivers);
    Output::DeviceId gone{};
    gone.fill(0xEE);
    absent.init(gone);
    EXPECT_FALSE(absent.isInitialized());
    absent.play(file.cache.get(), "", 0, -1, false, nullptr, 0);
    EXPECT_FALSE(absent.isPlaying());
}

TEST(AudioEngine, ClockPacedOutputPlaysInRealTime) {
    std::vector<DirectSound::DeviceEntry> devices;
    DirectSound::enumerateDevices(devices);
    Output::DeviceId clock{};
    for (const auto& d : devices)
        if (d.description == DirectSound::CLOCK_DEVICE_NAME) clock = d.id;
    CAudioEngine engine;
    engine.init(clock);
    ASSERT_TRUE(engine.isInitialized());
    EXPECT_EQ(engine.getQueue().getConfiguredCapacity(), 2);
    FileFixture file(2, 88200);
    RecordingListener listener;
    const auto begin = std::chrono::steady_clock::now();
    engine.play(file.cache.get(), "", 0, -1, false, &listener, 0);
    std::this_thread::sleep_for(500ms);
    const i64 early = engine.getFramesPlayed();
    std::this_thread::sleep_for(1000ms);
    const i64 later = engine.getFramesPlayed();
    // About a second's worth of frames; loose bounds, this is no speed test.
    EXPECT_GT(later - early, 44100 / 2);
    EXPECT_LT(later - early, 44100 * 2);
    while (engine.isVoiceActive() || engine.getFramesPlayed() < listener.lastPosition()) {
        ASSERT_LT(std::chrono::steady_clock::now() - begin, 10s);
        std::this_thread::sleep_for(10ms);
    }
    const auto took = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin);
    EXPECT_EQ(listener.lastPosition(), 88200);
    EXPECT_GT(took.count(), 1.5);
    EXPECT_LT(took.count(), 4.0);
    engine.stop();
}
