// The period search on decimated tones, as the band stretcher runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/kalo2/EngineState.h"
#include "engine/kalo2/PeriodSearch.h"

using namespace Engine;

namespace {
struct Search {
    int lag;
    double period;
};

// A tone of the given period (in source frames) as the mono mix holds it after
// decimation, searched over `lags` lags.
Search searchTone(double period, int decimation, int lags) {
    std::vector<float> s(2 * lags), a(lags + 1);
    for (int j = 0; j < 2 * lags; ++j)
        s[j] = static_cast<float>(std::sin(2.0 * std::numbers::pi * (j * decimation + 7) / period));
    CPeriodSearch::difference(s.data(), lags, a.data());
    const int lag = CPeriodSearch::chooseLag(a.data(), lags);
    return {lag, CPeriodSearch::refine(a.data(), lag, decimation)};
}

double offWholePeriods(double found, double period) {
    const double periods = found / period;
    return std::fabs(periods - std::round(periods)) * period;
}
} // namespace

TEST(PeriodSearch, FindsAWholeNumberOfPeriodsUndecimated) {
    for (double period : {37.3, 100.23, 211.9}) {
        const Search found = searchTone(period, 1, 512);
        EXPECT_GE(found.period, period * 0.9);
        EXPECT_LT(offWholePeriods(found.period, period), 0.5) << period << " " << found.period;
    }
}

// 440 Hz in the 344-689 Hz band at 44.1 kHz: decimation 32, 48 lags; 15 periods (1503.4
// frames) fall on lag 46.98, the last lag searched. Refining it needs the difference one
// lag beyond the range.
TEST(PeriodSearch, RefinesAMinimumOnTheLastLagWithTheValueBeyondIt) {
    const double period = 44100.0 / 440.0;
    const Search found = searchTone(period, 32, 48);
    EXPECT_EQ(found.lag, 47);
    EXPECT_LT(offWholePeriods(found.period, period), 2.0) << found.period;
}

namespace {
// The exact-pitch search over a band's undecimated mix `full` (4096 values, the lowest bands'
// analysis length) with the decimated search of a segment of 2 * lags * decimation frames.
double exactPeriodOf(const std::vector<float>& full, int decimation, int lags) {
    std::vector<float> coarse(2 * lags), a(lags + 1);
    for (int t = 0; t < 2 * lags; ++t)
        coarse[t] = full[t * decimation + decimation - 1];
    CPeriodSearch::difference(coarse.data(), lags, a.data());
    const int maxLag = static_cast<int>(full.size()) - 1 - lags * decimation;
    return CPeriodSearch::exactPeriod(full.data(), a.data(), decimation, lags, maxLag);
}

// What the undecimated search chooses, with the tip of the V.
double wholeSearchOf(const std::vector<float>& full, int lags) {
    std::vector<float> a(lags + 1);
    CPeriodSearch::difference(full.data(), lags, a.data());
    return CPeriodSearch::vertex(a.data(), CPeriodSearch::chooseLag(a.data(), lags));
}

std::vector<float> decayingTone(double period, double decay) {
    std::vector<float> x(4096);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<float>(std::exp(-static_cast<double>(i) / decay) *
                                  std::sin(2.0 * std::numbers::pi * (i + 0.3) / period));
    return x;
}
} // namespace

// The difference function's minimum is a V: three points on it give its tip exactly, wherever
// the tip lies between them; a parabola through them is off by up to a fifth of a lag.
TEST(PeriodSearch, TheVertexOfAVIsItsTip) {
    for (const double tip : {10.0, 10.3, 9.55, 10.49}) {
        const float a[] = {static_cast<float>(3.0 * std::fabs(9.0 - tip)),
                           static_cast<float>(3.0 * std::fabs(10.0 - tip)),
                           static_cast<float>(3.0 * std::fabs(11.0 - tip))};
        EXPECT_NEAR(9.0 + CPeriodSearch::vertex(a, 1), tip, 1e-6) << tip;
    }
    const float flat[] = {2.0f, 2.0f, 2.0f};
    EXPECT_EQ(CPeriodSearch::vertex(flat, 1), 1.0);
}

// The decimated search finds one multiple of the period; the undecimated search takes the one
// that lies nearest to a whole lag (at 1 kHz: 10 periods = 441.0 frames, where every 16th lag
// sees 4 periods = 176.4 first), or on a fading tone the first after its initial rise (147.3
// frames, before every 64th lag has begun to fall). The exact search keeps the undecimated
// choice and places its tip to a hundredth of a frame.
TEST(PeriodSearch, ExactSearchKeepsTheUndecimatedChoiceOfMultiple) {
    struct Case {
        double period, decay;
        int decimation, lags;
    } cases[] = {{44.1, 1e9, 16, 64},
                 {100.227, 1e9, 32, 48},
                 {147.3, 1500.0, 64, 32},
                 {31.7, 3000.0, 8, 96}};
    for (const Case& c : cases) {
        const std::vector<float> x = decayingTone(c.period, c.decay);
        const double whole = wholeSearchOf(x, c.lags * c.decimation);
        const double found = exactPeriodOf(x, c.decimation, c.lags);
        EXPECT_NEAR(found, whole, 0.01) << c.period;
        if (c.decay > 1e6) {
            EXPECT_NEAR(found, std::round(whole / c.period) * c.period, 0.01) << c.period;
        }
    }
}

// Silence never falls: the period is lag 1, as the undecimated search has it, so that a band
// over silence jumps by its whole drift.
TEST(PeriodSearch, ExactSearchOverSilenceGivesOneFrame) {
    EXPECT_EQ(exactPeriodOf(std::vector<float>(4096), 64, 32), 1.0);
}
