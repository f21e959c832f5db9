// Whole-engine behaviour on synthetic tones: pitch and duration after stretching and
// shifting, level, channel symmetry, output bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "engine/EngineDriver.h"
#include "engine/kalo2/EngineParameters.h"

using namespace EngineTest;

namespace {
constexpr double kRate = 44100.0;

// Frames from the tone's first to its last sample above a quarter of its peak.
std::size_t toneLength(const Signal& x, float threshold) {
    std::size_t first = x.size(), last = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::fabs(x[i]) > threshold) first = std::min(first, i), last = i;
    return last >= first ? last - first + 1 : 0;
}

struct ToneCase {
    int quality;
    double time;
    double pitch;
    double maxCents;
};
} // namespace

class StretchedTone : public ::testing::TestWithParam<ToneCase> {};

// A 440 Hz tone comes out at 440 Hz times the effective pitch factor and lasts the time factor times
// as long, within one hop.
TEST_P(StretchedTone, KeepsItsPitchAndTakesTheNewDuration) {
    const ToneCase& c = GetParam();
    const std::size_t length = 3 * 44100;
    Settings s;
    s.time = c.time;
    s.pitch = c.pitch;
    s.quality = c.quality;
    const Output run = process({tone(length, 440.0, kRate)}, s);
    const Signal& y = run.out[0];
    const std::size_t end = static_cast<std::size_t>(length * c.time) - 20000;
    // The pitch actually applied is 512 / m with m = trunc(512 / pitch) frames per call.
    const double expected = 440.0 * 512.0 / Engine::outputFramesFor(c.pitch, 1);
    const double f = frequency(y, 20000, end, kRate);
    std::printf("quality %d, time %.2f, pitch %.2f: %.4f Hz (%+.3f cents), distortion %.1f dB\n",
                c.quality, c.time, c.pitch, f, cents(f, expected),
                distortionDb(y, 20000, end, expected, kRate));
    EXPECT_LT(std::fabs(cents(f, expected)), c.maxCents);
    EXPECT_NEAR(static_cast<double>(toneLength(y, 0.125f)), c.time * length, 512.0);
}

INSTANTIATE_TEST_SUITE_P(Qualities, StretchedTone,
                         ::testing::Values(ToneCase{1, 1.5, 1.0, 2.0}, ToneCase{2, 1.5, 1.0, 2.0},
                                           ToneCase{3, 1.5, 1.0, 0.2}, ToneCase{4, 1.5, 1.0, 2.0},
                                           ToneCase{3, 0.6, 0.7, 2.0}, ToneCase{1, 0.6, 1.3, 2.0}));

TEST(Stretch, MediumQualityStretchKeepsTheToneClean) {
    Settings s;
    s.time = 1.5;
    const Output run = process({tone(3 * 44100, 440.0, kRate)}, s);
    EXPECT_LT(distortionDb(run.out[0], 20000, 180000, 440.0, kRate), -30.0);
}

TEST(Stretch, TwelveSemitonesUpDoublesTheFrequency) {
    Settings s;
    s.pitch = 2.0;
    const Output run = process({tone(2 * 44100, 440.0, kRate)}, s);
    const double f = frequency(run.out[0], 10000, 80000, kRate);
    EXPECT_LT(std::fabs(cents(f, 880.0)), 2.0) << f;
    EXPECT_NEAR(static_cast<double>(toneLength(run.out[0], 0.125f)), 2 * 44100, 512.0);
}

TEST(Stretch, IdenticalChannelsStayIdentical) {
    const Signal left = tone(44100, 330.0, kRate);
    Settings s;
    s.time = 0.8;
    s.pitch = 1.1;
    s.formant = 0.9;
    const Output run = process({left, left}, s);
    ASSERT_FALSE(run.out[0].empty());
    EXPECT_EQ(run.out[0], run.out[1]);
    EXPECT_GT(rms(run.out[0], 0, run.out[0].size()), 0.1);
}

TEST(Stretch, EveryOutputSampleLiesWithinFullScale) {
    Signal loud = tone(44100, 200.0, kRate, 3.0);
    for (std::size_t i = 0; i < loud.size(); i += 97)
        loud[i] = -loud[i];
    loud[5000] = std::nanf("");
    loud[9000] = INFINITY;
    Settings s;
    s.time = 1.3;
    s.pitch = 0.7;
    const Output run = process({loud}, s);
    for (float v : run.out[0])
        ASSERT_TRUE(v >= -1.0f && v <= 0.9999f) << v;
    const auto [low, high] = std::minmax_element(run.out[0].begin(), run.out[0].end());
    EXPECT_EQ(*low, -1.0f);
    EXPECT_EQ(*high, 0.9999f);
}

TEST(Stretch, SineLevelIsTheSameAt44And96kHz) {
    double level[2];
    const double rates[2] = {44100.0, 96000.0};
    for (int r = 0; r < 2; ++r) {
        Settings s;
        s.rate = static_cast<float>(rates[r]);
        s.time = 1.25;
        const std::size_t n = static_cast<std::size_t>(rates[r] * 2);
        const Output run = process({tone(n, 440.0, rates[r], 0.5)}, s);
        level[r] = rms(run.out[0], n / 4, n);
    }
    std::printf("rms 44.1 kHz %.4f, 96 kHz %.4f (input %.4f)\n", level[0], level[1],
                0.5 / std::sqrt(2.0));
    EXPECT_NEAR(level[0], 0.5 / std::sqrt(2.0), 0.03);
    EXPECT_NEAR(level[1], level[0], 0.03);
}

TEST(Stretch, MonophonicModeRequestsStayBounded) {
    Settings s;
    s.quality = 1;
    s.time = 2.0;
    const Output run = process({tone(4 * 44100, 220.0, kRate)}, s);
    EXPECT_EQ(run.largestRequest, 2048u);
    EXPECT_GT(rms(run.out[0], 44100, 7 * 44100), 0.3);
}
