#include "process/BandFilter.h"

#include <algorithm>

namespace Process {

void CBandFilter::limitSpectrum(float* x, int size, int low, int high, int rampDivisor) {
    const int highRamp = high / rampDivisor;
    const int highStart = std::max(high - highRamp, 0);
    for (int q = 0; q < highRamp; ++q)
        x[highStart + q] *= 1.0f - static_cast<float>(q) / static_cast<float>(highRamp);
    std::fill(x + std::min(high, size), x + size, 0.0f);

    const int lowRamp = low / rampDivisor;
    const int lowStart = std::max(low - lowRamp, 0);
    for (int q = 0; q < lowRamp; ++q)
        x[lowStart + q] *= static_cast<float>(q) / static_cast<float>(lowRamp);
    std::fill(x, x + lowStart, 0.0f);
}

void CBandFilter::filter(float* segment, int analysisLength, int low, int high, int rampDivisor,
                         const CRateTables& tables, float* accumulator, FilterWork& work) {
    const int size = tables.sineTransform.size(); // 2048k
    const int hop = size / 2;
    const int subFrames = std::max(analysisLength / hop - 1, 1);
    // Scaled so that transforming twice (gain size / 2) and the formant stage's four
    // overlapping Hann windows (gain 2) leave the level unchanged at every rate.
    const float scale = 1.0f / static_cast<float>(size);
    const float* window = tables.hann.data();
    std::fill(accumulator, accumulator + std::max(analysisLength, size), 0.0f);

    for (int j = 0; j < subFrames; ++j) {
        // The band's spectrum ends at high: no more of it is computed, and the zeros above
        // it are left out of the transform back.
        tables.sineTransform.apply(segment + j * hop, work.spectrum, work.transform, scale, size,
                                   high);
        limitSpectrum(work.spectrum, size, low, high, rampDivisor);
        tables.sineTransform.apply(work.spectrum, work.filtered, work.transform, 1.0f,
                                   std::min(high, size));

        float* acc = accumulator + j * hop;
        // The first sub-frame of several keeps its first half unweighted: nothing
        // overlaps it there.
        const int plain = subFrames == 1 ? size : (j == 0 ? hop : 0);
        for (int i = 0; i < plain; ++i)
            acc[i] += work.filtered[i];
        for (int i = plain; i < size; ++i)
            acc[i] += work.filtered[i] * window[i];
    }
    std::copy(accumulator, accumulator + analysisLength, segment);
}

} // namespace Process
