// The engine's call contract: frames per call, latency, refusals, channel counts.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/EngineDriver.h"
#include "engine/kalo2/EngineParameters.h"
#include "process/RowProcessor.h"

using namespace EngineTest;

namespace {
// One engine call on fresh buffers of a 300 Hz tone in every channel.
struct OneCall {
    std::vector<Signal> buffers = std::vector<Signal>(8, tone(KALO2_BufferFrames, 300.0, 44100));
    float* channels[Audio::kMaxEngineChannels] = {};
    StateBuffer state;
    std::uint32_t position = 77, request = 4096;

    OneCall() {
        for (int c = 0; c < 8; ++c)
            channels[c] = buffers[c].data();
    }
    int call(double pitch = 1.0, float rate = 44100.0f, int count = 1, double time = 1.0) {
        return KALO2_Process(time, pitch, 1.0, 3, rate, count, 0, &position, &request, channels,
                             state.get());
    }
};
} // namespace

TEST(EngineFrames, OutputPerCallIs512kOverPitch) {
    struct Case {
        double pitch;
        float rate;
        int frames;
    } cases[] = {{1.0, 44100, 512},  {0.25, 44100, 2048}, {4.0, 44100, 128},  {3.0, 44100, 170},
                 {1.0, 8000, 512},   {1.0, 88200, 1024},  {1.0, 96000, 1024}, {1.0, 192000, 1024},
                 {0.1, 44100, 2048}, {9.0, 96000, 256},   {3.0, 96000, 341},  {1.0, 88199, 512}};
    for (const Case& c : cases) {
        OneCall engine;
        EXPECT_EQ(engine.call(c.pitch, c.rate), c.frames) << c.pitch << " " << c.rate;
    }
}

// Exact ratios formed from single-precision steps land a hair off and must still give whole
// frames; near misses that are no exact ratio (1676.9997 frames) keep their truncation.
TEST(EngineFrames, ExactRatiosFromSemitoneStepsKeepTheirWholeFrames) {
    struct Case {
        int semitones, cents, k, frames;
    } cases[] = {{12, 0, 1, 256},   {12, 0, 2, 512},    {13, -100, 1, 256},
                 {-12, 0, 1, 1024}, {-21, 46, 1, 1676}, {-9, 46, 2, 1676}};
    for (const Case& c : cases)
        EXPECT_EQ(Engine::outputFramesFor(Process::pitchFactorOf(c.semitones, c.cents), c.k),
                  c.frames)
            << c.semitones << " " << c.cents << " k=" << c.k;
    OneCall engine;
    EXPECT_EQ(engine.call(Process::pitchFactorOf(12, 0)), 256);
}

namespace {
// The first output frame of a 300 Hz tone that starts at source frame 0.
std::size_t firstSound(double pitch, bool exact) {
    const Signal in = tone(20000, 300.0, 44100.0);
    StateBuffer state;
    KALO2_SetExactPitch(state.get(), exact);
    const auto latency = static_cast<std::size_t>(KALO2_OutputLatency(pitch, 44100.0f, exact));
    Signal all;
    Signal buffer(KALO2_BufferFrames);
    float* channels[Audio::kMaxEngineChannels] = {buffer.data()};
    std::uint32_t position = 0, request = 4096;
    while (all.size() < latency + 200) {
        std::copy(in.begin() + position, in.begin() + position + request, buffer.begin());
        const int n = KALO2_Process(1.0, pitch, 1.0, 3, 44100.0f, 1, 0, &position, &request,
                                    channels, state.get());
        all.insert(all.end(), buffer.begin(), buffer.begin() + n);
    }
    std::size_t first = 0;
    while (std::fabs(all[first]) < 1e-3f)
        ++first;
    return first;
}
} // namespace

TEST(EngineFrames, LatencyIsFourCallsOfOutput) {
    EXPECT_EQ(KALO2_OutputLatency(1.0, 44100.0f), 2048);
    EXPECT_EQ(KALO2_OutputLatency(1.0, 96000.0f), 4096);
    EXPECT_EQ(KALO2_OutputLatency(0.25, 44100.0f), 8192);
    EXPECT_NEAR(KALO2_OutputLatency(3.0, 44100.0f), 680, 1);

    // Everything before the latency is silence; a tone that starts at frame 0 comes out
    // right after it (the resampler's twelve-frame delay apart).
    for (double pitch : {1.0, 3.0, 0.5}) {
        const int latency = KALO2_OutputLatency(pitch, 44100.0f);
        const std::size_t first = firstSound(pitch, false);
        EXPECT_GE(first, static_cast<std::size_t>(latency)) << pitch;
        EXPECT_LE(first, latency + 12.0 / pitch + 3) << pitch;
    }
}

// In exact-pitch mode the latency is the formant stage's 2048k frames and the resampler's
// twelve at the requested ratio, rounded to the nearest frame: (2048 + 12) / 3 = 686.67 and
// (4096 + 12) / 1.5 = 2738.67 round up, 2060 / 2.2 = 936.36 rounds down.
TEST(EngineFrames, ExactPitchLatencyIsRoundedAndEndsWhereTheSoundBegins) {
    EXPECT_EQ(KALO2_OutputLatency(1.0, 44100.0f, true), 2060);
    EXPECT_EQ(KALO2_OutputLatency(3.0, 44100.0f, true), 687);
    EXPECT_EQ(KALO2_OutputLatency(1.5, 96000.0f, true), 2739);
    EXPECT_EQ(KALO2_OutputLatency(2.2, 44100.0f, true), 936);
    EXPECT_EQ(KALO2_OutputLatency(0.1, 44100.0f, true), 8240); // clamped to 0.25
    for (double pitch : {1.0, 3.0, 0.5, 0.7, 2.2}) {
        const double latency = KALO2_OutputLatency(pitch, 44100.0f, true);
        EXPECT_NEAR(static_cast<double>(firstSound(pitch, true)), latency, 1.0) << pitch;
    }
}

TEST(EngineRefusals, MissingBufferOrForeignStateLeavesEverythingUntouched) {
    OneCall engine;
    engine.channels[0] = nullptr;
    EXPECT_EQ(engine.call(), -1);
    EXPECT_EQ(engine.position, 77u);
    engine.channels[0] = engine.buffers[0].data();
    EXPECT_EQ(engine.call(1.0, 44100.0f, 0), -1);
    EXPECT_EQ(engine.call(), 512);

    // Any change of the header after the first call makes the state foreign.
    for (std::size_t word = 0; word < 3; ++word) {
        OneCall other;
        ASSERT_EQ(other.call(), 512);
        std::uint32_t* header = reinterpret_cast<std::uint32_t*>(other.state.raw());
        header[word] ^= 1;
        const std::vector<std::byte> before(other.state.raw(),
                                            other.state.raw() + KALO2_StateSize());
        const Signal input = other.buffers[0];
        other.position = 77;
        EXPECT_EQ(other.call(), -1) << word;
        EXPECT_EQ(other.position, 77u);
        EXPECT_EQ(other.buffers[0], input);
        EXPECT_EQ(0, std::memcmp(before.data(), other.state.raw(), before.size()));
    }
}

TEST(EngineChannels, CountStopsAtTheFirstNullBufferAndAtEight) {
    float x[1];
    using Buffers = float* const[8];
    const auto usable = [](int count, const Buffers& b) {
        return Engine::usableChannels(count, b);
    };
    EXPECT_EQ(usable(3, Buffers{nullptr, x, x}), 0);
    EXPECT_EQ(usable(3, Buffers{x, x, nullptr, x, x, x, x, x}), 2);
    EXPECT_EQ(usable(6, Buffers{x, nullptr, x, x, x, x, x, x}), 1);
    EXPECT_EQ(usable(12, Buffers{x, x, x, x, x, x, x, x}), 8);
    EXPECT_EQ(usable(2, Buffers{x, x, x, nullptr}), 2);

    // Channels past the usable count are left as they were.
    OneCall engine;
    engine.channels[1] = nullptr;
    const Signal third = engine.buffers[2];
    ASSERT_EQ(engine.call(1.0, 44100.0f, 8), 512);
    EXPECT_EQ(engine.buffers[2], third);
    EXPECT_NE(engine.buffers[0], third);
}

TEST(EngineFactors, TimeBelowOneTenthActsAsOneTenth) {
    Settings slow, slower;
    slow.time = 0.1;
    slower.time = 0.05;
    const Signal in = tone(30000, 500.0, 44100.0);
    const Output a = process({in}, slow), b = process({in}, slower);
    EXPECT_EQ(a.out[0], b.out[0]);
}

// At 96 kHz the longest segment is 8192 frames, but the first call gets only 4096:
// whatever the caller's buffer holds beyond them must not reach the output.
TEST(EngineFactors, FirstCallUsesOnlyTheFramesItWasGiven) {
    const Signal in = tone(60000, 150.0, 96000.0);
    Signal outputs[2];
    for (int run = 0; run < 2; ++run) {
        Signal buffer(KALO2_BufferFrames, run ? 0.9f : 0.0f);
        float* channels[Audio::kMaxEngineChannels] = {buffer.data()};
        StateBuffer state;
        std::uint32_t position = 0, request = KALO2_FirstRequest;
        for (int call = 0; call < 12; ++call) {
            std::copy(in.begin() + position, in.begin() + position + request, buffer.begin());
            const int n = KALO2_Process(1.0, 1.0, 1.0, 3, 96000.0f, 1, 0, &position, &request,
                                        channels, state.get());
            outputs[run].insert(outputs[run].end(), buffer.begin(), buffer.begin() + n);
        }
    }
    EXPECT_GT(rms(outputs[0], 8192, outputs[0].size()), 0.1);
    EXPECT_EQ(outputs[0], outputs[1]);
}
