// The band filter's shortcuts for the lowest bands: sub-frames only the period search reads
// are evaluated at the search points alone, or left out on calls without a search. What the
// splice, the next call and the search read must match the full filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "engine/kalo2/BandFilter.h"

using namespace Engine;

namespace {

struct Filtered {
    std::vector<float> segment = std::vector<float>(kSegmentCapacity);
};

// Slot 4's band (0-344 Hz at 44.1 kHz: bins 0..31) over an analysis length of 4096 random
// samples (of the given seed), of which the first segmentLength are the segment's own.
Filtered filterLowestBand(int decimation, int segmentLength = 4096, float* searchSpectra = nullptr,
                          unsigned seed = 7) {
    const CRateTables& tables = CRateTables::forRateMultiple(1);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    Filtered out;
    std::generate(out.segment.begin(), out.segment.begin() + 4096, [&] { return uniform(random); });
    std::vector<float> accumulator(kSegmentCapacity);
    auto work = std::make_unique<FilterWork>();
    CBandFilter::filter(out.segment.data(), 4096, 0, 31, 6,
                        FilterUse{segmentLength, decimation, searchSpectra}, tables,
                        accumulator.data(), *work);
    return out;
}

} // namespace

TEST(BandFilter, SearchPointsOfTheLowestBandMatchTheFullFilter) {
    ASSERT_NE(CRateTables::forRateMultiple(1).searchSinesFor(64), nullptr);
    const Filtered full = filterLowestBand(1); // no table for decimation 1: full transforms
    const Filtered sparse = filterLowestBand(64);
    double largest = 0.0;
    for (int i = 0; i < 4096; ++i)
        largest = std::max(largest, std::fabs(static_cast<double>(full.segment[i])));
    ASSERT_GT(largest, 1e-4);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(sparse.segment[i], full.segment[i]) << i; // the splice's part
    for (int i = 63; i < 4096; i += 64)
        EXPECT_NEAR(sparse.segment[i], full.segment[i], 1e-5 * largest) << i;
}

// A call without a search skips the sub-frames in between (one of three at a segment of 3072,
// two at 4096); the splice's part and the values carried past the segment stay exact.
TEST(BandFilter, WithoutASearchOnlyTheSpliceAndTheCarriedValuesAreFiltered) {
    for (const int segmentLength : {3072, 4096}) {
        const Filtered full = filterLowestBand(1, segmentLength);
        const Filtered none = filterLowestBand(0, segmentLength);
        for (int i = 0; i < 1024; ++i)
            ASSERT_EQ(none.segment[i], full.segment[i]) << segmentLength << " " << i;
        for (int i = segmentLength; i < 4096; ++i)
            ASSERT_EQ(none.segment[i], full.segment[i]) << segmentLength << " " << i;
        EXPECT_NE(none.segment[1500], full.segment[1500]) << segmentLength;
    }
}

// The exact-pitch search's mix: the channels' own parts plus the sub-frames only the search reads,
// summed over the channels and transformed back once, give the mean of the full filters.
TEST(BandFilter, SummedSearchFramesGiveTheMeanOfTheFullFilters) {
    const CRateTables& tables = CRateTables::forRateMultiple(1);
    for (const int segmentLength : {3072, 4096}) {
        const int frames = CBandFilter::searchOnlyFrames(4096, segmentLength, tables);
        EXPECT_EQ(frames, segmentLength == 4096 ? 2 : 1);
        std::vector<float> spectra(2 * 2048);
        std::vector<float> mix(4096);
        for (const unsigned seed : {7u, 8u}) {
            const Filtered full = filterLowestBand(1, segmentLength, nullptr, seed);
            const Filtered part = filterLowestBand(0, segmentLength, spectra.data(), seed);
            for (int i = 0; i < 4096; ++i)
                mix[i] += 0.5f * (part.segment[i] - full.segment[i]);
        }
        auto work = std::make_unique<FilterWork>();
        const FilterUse use{segmentLength, 0, spectra.data()};
        CBandFilter::addSearchFrames(use, 4096, 31, 0.5f, tables, mix.data(), *work);
        for (int i = 0; i < 4096; ++i)
            ASSERT_NEAR(mix[i], 0.0f, 1e-5f) << segmentLength << " " << i;
    }
}
