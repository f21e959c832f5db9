// The polyphase resampler: its coefficient table and its stream behaviour.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/kalo2/Resampler.h"

using namespace Engine;

namespace {
// Table position i = phase + 500 * tap, distance from the centre (6000) in 1/500 frame.
float coefficient(const ResamplerRecord& r, int i) {
    return r.table[i % 500][i / 500];
}

std::unique_ptr<ResamplerRecord> freshRecord() {
    auto r = std::make_unique<ResamplerRecord>();
    *r = ResamplerRecord{};
    CResampler::prepare(*r);
    return r;
}
} // namespace

TEST(ResamplerTable, IsASymmetricSincWithUnitCentreAndZerosEveryInputFrame) {
    const auto r = freshRecord();
    EXPECT_EQ(r->tableMarker, kResamplerTableMarker);
    EXPECT_EQ(coefficient(*r, 6000), 1.0f);
    EXPECT_EQ(coefficient(*r, 0), 0.0f);
    for (int i = 1; i < 6000; ++i)
        ASSERT_EQ(coefficient(*r, i), coefficient(*r, 12000 - i)) << i;
    for (int tap = 1; tap < 24; ++tap)
        EXPECT_NEAR(coefficient(*r, 500 * tap), tap == 12 ? 1.0f : 0.0f, 1e-6f) << tap;
    // Half-way between zero crossings the sinc is large and its sign alternates.
    EXPECT_GT(coefficient(*r, 5750), 0.5f);
    EXPECT_LT(coefficient(*r, 5250), -0.1f);
    // The Kaiser window tapers the outermost taps.
    EXPECT_LT(std::fabs(coefficient(*r, 250)), 0.01f);
}

TEST(ResamplerTable, BesselSeriesMatchesKnownValues) {
    EXPECT_NEAR(CResampler::besselI0(0.0), 1.0, 1e-12);
    EXPECT_NEAR(CResampler::besselI0(1.0), 1.2660658777520082, 1e-6);
    EXPECT_NEAR(CResampler::besselI0(2.0), 2.2795853023360673, 1e-6);
}

TEST(Resampler, UnitRatioDelaysByTwelveFramesAcrossCalls) {
    auto r = freshRecord();
    std::vector<float> in(1024), out(1024);
    for (int i = 0; i < 1024; ++i)
        in[i] = static_cast<float>(std::sin(0.05 * i));
    for (int call = 0; call < 4; ++call)
        CResampler::process(*r, in.data() + 256 * call, 256, out.data() + 256 * call, 256);
    for (int i = 12; i < 1024; ++i)
        ASSERT_NEAR(out[i], in[i - 12], 1e-5f) << i;
}

TEST(Resampler, EveryCallYieldsExactlyTheAskedFramesWhateverTheRatio) {
    auto r = freshRecord();
    std::vector<float> in(512, 0.25f);
    std::vector<float> out(2049);
    const int counts[] = {170, 171, 512, 2048, 128, 333, 170, 769};
    const float sentinel = -7.0f;
    // Exactly m outputs: the last one written, nothing after it.
    const auto check = [&](int m) {
        ASSERT_NE(out[m - 1], sentinel) << m;
        for (std::size_t i = m; i < out.size(); ++i)
            ASSERT_EQ(out[i], sentinel) << m << " wrote " << i;
    };
    for (int round = 0; round < 50; ++round)
        for (int m : counts) {
            std::fill(out.begin(), out.end(), sentinel);
            CResampler::process(*r, in.data(), 512, out.data(), m);
            check(m);
        }
    // Settled on a constant input, every output is that input.
    EXPECT_NEAR(out[100], 0.25f, 1e-3f);
}
