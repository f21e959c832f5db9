#pragma once
// Everything the engine shares between streams of one rate multiple k: the transforms of
// size 2048k and the windows. Built once, never changed afterwards, so any number of
// engine states of any rate multiples may use them at the same time.
#include <vector>

#include "engine/ComplexFft.h"
#include "engine/kalo2/SineTransform.h"

namespace Engine {

// The transform back of a band spectrum, evaluated only at the points a decimated period
// search reads: values[q * points + t] = sin(pi (D t + D - 1) q / 2048k) for q < bins
// (2048k / D + 1, enough for the band a decimation of D belongs to) and t < points (2048k / D).
struct SearchSines {
    int decimation = 0;
    int bins = 0;
    int points = 0;
    std::vector<float> values;
};

class CRateTables {
  public:
    // k is 1 or 2. The tables of both rate multiples are built together on first use, so
    // that later engine calls never allocate.
    static const CRateTables& forRateMultiple(int k);

    explicit CRateTables(int k);

    int rateMultiple;
    CSineTransform sineTransform; // 2048k points, the band filter
    CComplexFft fft;              // 2048k points, the formant stage
    std::vector<float> hann;      // 2048k values, 0.5 - 0.5 cos(2 pi i / 2048k)
    std::vector<float> splice;    // 1024k values: raised cosine up to 512k, then 1
    std::vector<float> lifter;    // 256k + 1 values, Hann over the kept quefrencies
    SearchSines searchSines[2];   // decimations 64 and 32, the two lowest bands

    // The table for a search decimation, or null where the full transform is cheaper.
    const SearchSines* searchSinesFor(int decimation) const;
};

} // namespace Engine
