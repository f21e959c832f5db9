// The formant stage alone and inside the engine, including streams of different sample
// rates on parallel threads.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <thread>

#include "engine/EngineDriver.h"
#include "engine/kalo2/FormantStage.h"

using namespace EngineTest;
using namespace Engine;

namespace {
// Amplitude of the component at `frequency` over [from, to) (a single DFT bin).
double amplitudeAt(const Signal& x, std::size_t from, std::size_t to, double frequency,
                   double rate) {
    double re = 0.0, im = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        const double ph = 2.0 * std::numbers::pi * frequency * i / rate;
        re += x[i] * std::cos(ph), im += x[i] * std::sin(ph);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(to - from);
}

Signal chord(std::size_t n, const std::vector<double>& frequencies, double rate) {
    Signal x(n, 0.0f);
    for (double f : frequencies) {
        const Signal t = tone(n, f, rate, 0.1);
        for (std::size_t i = 0; i < n; ++i)
            x[i] += t[i];
    }
    return x;
}
} // namespace

TEST(FormantStage, DelaysEveryValueByExactlyFourHops) {
    for (int k : {1, 2}) {
        const CRateTables& tables = CRateTables::forRateMultiple(k);
        auto record = std::make_unique<FormantRecord>();
        *record = FormantRecord{};
        const int hop = 512 * k;
        std::vector<float> in(hop, 0.0f), out(hop);
        std::vector<float> all;
        for (int call = 0; call < 12; ++call) {
            std::fill(in.begin(), in.end(), 0.0f);
            if (call == 5) in[100] = 1.0f;
            CFormantStage::process(*record, tables, in.data(), out.data(), 1.0);
            all.insert(all.end(), out.begin(), out.end());
        }
        const std::size_t impulse = 5 * hop + 100, delayed = impulse + 4 * hop;
        for (std::size_t i = 0; i < all.size(); ++i)
            ASSERT_NEAR(all[i], i == delayed ? all[i] : 0.0f, 1e-6f) << k << " at " << i;
        // Four overlapping Hann windows sum to 2.
        EXPECT_NEAR(all[delayed], 2.0f, 0.01f) << k;
    }
}

TEST(FormantStage, HalfFormantFactorEmptiesTheUpperHalfOfTheBand) {
    // White noise: a flat envelope, so below half the band the gain stays near 1.
    Signal noise(3 * 44100);
    std::uint32_t seed = 1;
    for (float& v : noise) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<float>(seed >> 8) / 16777216.0f * 0.6f - 0.3f;
    }
    Settings s;
    const Output plain = process({noise}, s);
    s.formant = 0.5;
    const Output shifted = process({noise}, s);
    const auto bandPower = [](const Signal& x, double from, double to) {
        double sum = 0.0;
        int bins = 0;
        for (double f = from; f < to; f += 97.0, ++bins) {
            const double a = amplitudeAt(x, 20000, 110000, f, 44100.0);
            sum += a * a;
        }
        return sum / bins;
    };
    const double lowPlain = bandPower(plain.out[0], 1000.0, 9000.0);
    const double lowShifted = bandPower(shifted.out[0], 1000.0, 9000.0);
    const double highPlain = bandPower(plain.out[0], 12500.0, 21000.0);
    const double highShifted = bandPower(shifted.out[0], 12500.0, 21000.0);
    EXPECT_GT(highPlain, 0.5 * lowPlain);
    EXPECT_GT(lowShifted, 0.5 * lowPlain);
    EXPECT_LT(highShifted, 1e-4 * lowShifted) << 10 * std::log10(highShifted / lowShifted);
}

TEST(FormantStage, StreamsOfDifferentRatesRunInParallel) {
    const Signal at44 = chord(60000, {300.0, 2500.0, 9000.0}, 44100.0);
    const Signal at96 = chord(120000, {300.0, 2500.0, 9000.0}, 96000.0);
    Settings s44, s96;
    s44.formant = 0.7;
    s96.formant = 1.4;
    s96.rate = 96000.0f;
    s96.pitch = 1.2;
    const Output expected44 = process({at44}, s44), expected96 = process({at96}, s96);
    for (int round = 0; round < 3; ++round) {
        Output got44, got96;
        std::thread a([&] { got44 = process({at44}, s44); });
        std::thread b([&] { got96 = process({at96}, s96); });
        a.join();
        b.join();
        EXPECT_EQ(got44.out[0], expected44.out[0]);
        EXPECT_EQ(got96.out[0], expected96.out[0]);
    }
}
