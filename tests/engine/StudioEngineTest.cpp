// The studio engine on short signals: exact pitch, channels derived jointly, sharp clicks in
// their places, factors that change every call, formants kept or moved, and no allocation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "engine/EngineDriver.h"
#include "engine/TimePitchEngine.h"
#include "support/AllocationCounter.h"

using namespace EngineTest;

namespace {

constexpr double kRate = 44100.0;

// Factors for call number n.
using FactorsOf = std::function<Engine::Factors(int)>;

// Drives the engine the way the stream does: factors before every call, the span it names
// filled from the source (silence past its end), the latency of the first call dropped.
std::vector<Signal> run(const std::vector<Signal>& in, const FactorsOf& factorsOf,
                        std::size_t outFrames) {
    const int channels = static_cast<int>(in.size());
    auto engine = Engine::makeEngine({channels, static_cast<float>(kRate)},
                                     {.quality = Engine::Quality::Studio});
    std::vector<Signal> out(in.size());
    engine->setFactors(factorsOf(0));
    std::int64_t skip = engine->latency();
    for (int call = 0; out[0].size() < outFrames; ++call) {
        engine->setFactors(factorsOf(call));
        const Engine::SourceSpan span = engine->nextInput();
        EXPECT_LE(span.frames, engine->maxInputFrames());
        for (int c = 0; c < channels; ++c)
            for (std::int32_t i = 0; i < span.frames; ++i) {
                const auto at = static_cast<std::size_t>(span.position + i);
                engine->input()[c][i] = at < in[c].size() ? in[c][at] : 0.0f;
            }
        const int n = engine->process();
        EXPECT_LE(n, engine->maxOutputFrames());
        const auto drop = static_cast<int>(std::min<std::int64_t>(skip, n));
        skip -= drop;
        for (int c = 0; c < channels; ++c)
            out[c].insert(out[c].end(), engine->output()[c] + drop, engine->output()[c] + n);
    }
    for (auto& o : out)
        o.resize(outFrames);
    return out;
}

FactorsOf fixed(double time, double pitch, double formant = 1.0) {
    return [=](int) { return Engine::Factors{time, pitch, formant}; };
}

Signal noise(std::size_t n, double level, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> gauss(0.0f, static_cast<float>(level));
    Signal x(n);
    for (auto& v : x)
        v = gauss(random);
    return x;
}

// Music-like: two tones, noise and a click.
Signal busy(std::size_t n) {
    Signal x = noise(n, 0.02, 7);
    const Signal a = tone(n, 330.0, kRate, 0.3), b = tone(n, 1234.5, kRate, 0.2);
    for (std::size_t i = 0; i < n; ++i)
        x[i] += a[i] + b[i];
    x[n / 2] += 0.5f;
    return x;
}

// A 100 Hz pulse train through one resonance at 1000 Hz.
Signal vowel(std::size_t n) {
    Signal x(n);
    const double r = std::exp(-std::numbers::pi * 100.0 / kRate);
    const double c = 2.0 * r * std::cos(2.0 * std::numbers::pi * 1000.0 / kRate);
    double y1 = 0.0, y2 = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double pulse = i % 441 == 0 ? 1.0 : 0.0;
        const double y = pulse + c * y1 - r * r * y2;
        y2 = y1, y1 = y;
        x[i] = static_cast<float>(0.02 * y);
    }
    return x;
}

// The frequency of the strongest harmonic of `f0` between 500 and 2000 Hz.
double strongestHarmonic(const Signal& x, std::size_t from, std::size_t to, double f0) {
    double best = 0.0, bestPower = -1.0;
    for (double f = std::ceil(500.0 / f0) * f0; f < 2000.0; f += f0) {
        double re = 0.0, im = 0.0;
        for (std::size_t i = from; i < to; ++i) {
            const double ph = 2.0 * std::numbers::pi * f * static_cast<double>(i) / kRate;
            re += x[i] * std::cos(ph);
            im += x[i] * std::sin(ph);
        }
        if (re * re + im * im > bestPower) bestPower = re * re + im * im, best = f;
    }
    return best;
}

} // namespace

TEST(StudioEngine, PitchIsExactAtNineteenSemitonesEitherWay) {
    const Signal in = tone(44100, 440.0, kRate);
    for (const double semitones : {19.0, -19.0, 7.0}) {
        const double pitch = std::pow(2.0, semitones / 12.0);
        const Signal out = run({in}, fixed(1.0, pitch), 44100)[0];
        const double f = localFrequency(out, 8192, 36000, 440.0 * pitch, kRate);
        EXPECT_NEAR(cents(f, 440.0 * pitch), 0.0, 0.1) << semitones;
        EXPECT_LT(distortionDb(out, 8192, 36000, f, kRate), -60.0) << semitones;
    }
}

TEST(StudioEngine, IdenticalChannelsStayIdenticalAndOppositeOnesExactlyOpposite) {
    const Signal x = busy(30000);
    Signal minus(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        minus[i] = -x[i];
    // The second moves the envelope too, which lowers the tones.
    for (const auto& f : {fixed(1.3, 1.2), fixed(0.7, 0.8, 1.25)}) {
        const auto same = run({x, x}, f, 36000);
        const auto opposite = run({x, minus}, f, 36000);
        EXPECT_EQ(same[0], same[1]);
        EXPECT_EQ(opposite[0], same[0]);
        for (std::size_t i = 0; i < opposite[1].size(); ++i)
            ASSERT_EQ(opposite[1][i], -opposite[0][i]) << i;
        EXPECT_GT(rms(same[0], 5000, 30000), 0.03); // not silence
    }
}

// Six clicks over quiet noise come out as six sharp clicks, each where time puts it, as loud
// stretched as unstretched (a click misplaced by a sample from frame to frame loses its top).
TEST(StudioEngine, ClicksStaySharpLoudAndInPlace) {
    Signal in = noise(60000, 0.0005, 3);
    const std::size_t clicks[] = {5000, 14000, 23000, 32000, 41000, 50000};
    for (const std::size_t c : clicks)
        in[c] = 0.8f;
    float unstretched = 0.0f;
    for (const double time : {1.0, 1.5, 0.75}) {
        const Signal out = run({in}, fixed(time, 1.0), static_cast<std::size_t>(60000 * time))[0];
        int found = 0;
        float quietest = 1.0f;
        for (std::size_t i = 0; i < out.size(); ++i)
            if (std::abs(out[i]) > 0.2f) {
                ++found;
                bool expected = false;
                for (const std::size_t c : clicks)
                    expected |= std::abs(static_cast<double>(i) - c * time) <= 1.0;
                EXPECT_TRUE(expected) << "a click at " << i << ", time " << time;
                // Energy, not the peak: a click may fall between two samples.
                float energy = 0.0f;
                for (std::size_t k = i - 4; k < std::min(i + 5, out.size()); ++k)
                    energy += out[k] * out[k];
                quietest = std::min(quietest, energy);
                i += 200; // one click, not its neighbours
            }
        EXPECT_EQ(found, 6) << time;
        if (time == 1.0) unstretched = quietest;
        EXPECT_GT(quietest, 0.7f * unstretched) << time; // within 1.5 dB
    }
}

TEST(StudioEngine, FactorsChangingEveryCallKeepATonesLevelAndCount) {
    const Signal in = tone(60000, 500.0, kRate);
    auto engine =
        Engine::makeEngine({1, static_cast<float>(kRate)}, {.quality = Engine::Quality::Studio});
    const double step = engine->step();
    double expected = 0.0;
    const FactorsOf changing = [&](int n) {
        return Engine::Factors{0.8 + 0.02 * (n % 40), n % 2 ? 1.06 : 0.94, 1.0};
    };
    for (int n = 0; n < 100; ++n)
        expected += step / changing(n).pitch;
    const Signal out = run({in}, changing, static_cast<std::size_t>(expected) - 6000)[0];
    for (const float v : out)
        ASSERT_TRUE(std::isfinite(v));
    // Level within 1 dB of the source's over the middle.
    EXPECT_NEAR(20.0 * std::log10(rms(out, 6000, 30000) / rms(in, 6000, 30000)), 0.0, 1.0);
}

TEST(StudioEngine, FormantsAreKeptOrMovedOnRequest) {
    const Signal in = vowel(44100);
    const double pitch = std::pow(2.0, 4.0 / 12.0), f0 = 100.0 * pitch;
    const Signal kept = run({in}, fixed(1.0, pitch, 1.0 / pitch), 44100)[0];
    const Signal moved = run({in}, fixed(1.0, pitch, 1.0), 44100)[0];
    const Signal lowered = run({in}, fixed(1.0, pitch, 0.8 / pitch), 44100)[0];
    EXPECT_NEAR(strongestHarmonic(kept, 8000, 36000, f0), 1000.0, f0 / 2);
    EXPECT_NEAR(strongestHarmonic(moved, 8000, 36000, f0), 1000.0 * pitch, f0 / 2);
    EXPECT_NEAR(strongestHarmonic(lowered, 8000, 36000, f0), 800.0, f0 / 2);
}

TEST(StudioEngine, CallsAllocateNothing) {
    auto engine =
        Engine::makeEngine({2, static_cast<float>(kRate)}, {.quality = Engine::Quality::Studio});
    const Signal x = busy(engine->maxInputFrames());
    AllocationCounter::resetCount();
    AllocationCounter::watchThisThread();
    for (int call = 0; call < 60; ++call) {
        engine->setFactors({0.5 + 0.05 * call, call % 3 ? 1.3 : 0.7, call % 2 ? 1.2 : 1.0});
        const Engine::SourceSpan span = engine->nextInput();
        for (int c = 0; c < 2; ++c)
            std::copy_n(x.begin(), span.frames, engine->input()[c]);
        (void)engine->process();
    }
    AllocationCounter::stopWatchingThisThread();
    EXPECT_EQ(AllocationCounter::count(), 0u);
}

TEST(StudioEngine, LevelOfAMixtureIsKept) {
    const Signal x = busy(40000);
    for (const auto& f : {fixed(1.3, 1.2), fixed(0.7, 0.8)}) {
        const Signal out = run({x}, f, 40000)[0];
        EXPECT_NEAR(20.0 * std::log10(rms(out, 5000, 25000) / rms(x, 5000, 25000)), 0.0, 0.5);
    }
}
