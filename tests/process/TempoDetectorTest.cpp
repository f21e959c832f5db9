// Tempo detection on click tracks and on shapes that have no beat.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "process/TempoDetector.h"

using namespace Process;

namespace {

constexpr double kRate = 44100.0;

// Clicks (5 ms bursts of decaying noise) at a tempo, over a noise floor at -60 dBFS; every
// `accent`-th click is twice as loud, the rest `weak` of full.
std::vector<float> clickTrack(double bpm, double seconds, int accent = 4, float weak = 0.5f,
                              double offset = 0.1) {
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.001f);
    std::vector<float> x(static_cast<std::size_t>(seconds * kRate));
    for (float& v : x) v = noise(random);
    const double period = 60.0 / bpm * kRate;
    for (int beat = 0;; ++beat) {
        const auto start = static_cast<std::size_t>(std::lround(offset * kRate + beat * period));
        if (start >= x.size()) break;
        const float level = beat % accent == 0 ? 0.8f : 0.8f * weak;
        for (std::size_t i = 0; i < 220 && start + i < x.size(); ++i)
            x[start + i] += level * std::exp(-static_cast<float>(i) / 40.0f) *
                            (noise(random) > 0.0f ? 1.0f : -1.0f);
    }
    return x;
}

} // namespace

TEST(TempoDetector, ClickTracksWithinHalfABpm) {
    for (const double bpm : {60.0, 90.0, 120.0, 128.0, 174.0, 200.0}) {
        const std::vector<float> x = clickTrack(bpm, 12.0);
        const TempoEstimate found = detectTempo(x.data(), x.size(), kRate);
        EXPECT_NEAR(found.bpm, bpm, 0.5) << bpm;
        EXPECT_GT(found.strength, 0.3) << bpm;
    }
}

TEST(TempoDetector, EvenClicksGiveTheFasterOctaveInRange) {
    // Equal clicks at 87 BPM fit 87 and (every other one) 43.5; at 174 they fit 174 and 87.
    for (const double bpm : {87.0, 174.0}) {
        const std::vector<float> x = clickTrack(bpm, 12.0, 1, 1.0f);
        EXPECT_NEAR(detectTempo(x.data(), x.size(), kRate).bpm, bpm, 0.5) << bpm;
    }
    // Clicks at 250 BPM lie above the range: every other one makes 125.
    const std::vector<float> fast = clickTrack(250.0, 12.0, 1, 1.0f);
    EXPECT_NEAR(detectTempo(fast.data(), fast.size(), kRate).bpm, 125.0, 0.5);
}

TEST(TempoDetector, NoBeatInNoiseSilenceOrAShortFile) {
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    std::vector<float> x(static_cast<std::size_t>(12 * kRate));
    for (float& v : x) v = noise(random);
    EXPECT_EQ(detectTempo(x.data(), x.size(), kRate).bpm, 0.0);
    const std::vector<float> silence(static_cast<std::size_t>(12 * kRate), 0.0f);
    EXPECT_EQ(detectTempo(silence.data(), silence.size(), kRate).bpm, 0.0);
    // A steady tone: its leakage ripples with the frames, far below any onset.
    std::vector<float> tone(static_cast<std::size_t>(12 * kRate));
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / kRate));
    EXPECT_EQ(detectTempo(tone.data(), tone.size(), kRate).bpm, 0.0);
    // Under three beats at the slowest tempo: too short to tell.
    const std::vector<float> shortTrack = clickTrack(120.0, 2.9);
    EXPECT_EQ(detectTempo(shortTrack.data(), shortTrack.size(), kRate).bpm, 0.0);
}

TEST(TempoDetector, OtherSampleRates) {
    for (const double rate : {22050.0, 96000.0}) {
        const double bpm = 128.0;
        std::vector<float> x(static_cast<std::size_t>(12 * rate), 0.0f);
        for (int beat = 0; beat * 60.0 / bpm < 11.9; ++beat)
            x[static_cast<std::size_t>(beat * 60.0 / bpm * rate)] = 0.9f;
        EXPECT_NEAR(detectTempo(x.data(), x.size(), rate).bpm, bpm, 0.5) << rate;
    }
}
