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
