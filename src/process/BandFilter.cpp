#include "process/BandFilter.h"

#include <algorithm>

namespace Process {

void CBandFilter::limitSpectrum(float* x, int size, int low, int high, int rampDivisor) {
    const int highRamp = high / rampDivisor;
    const int highStart = std::max(high - highRamp, 0);
    for (int q = 0; q < highRamp; ++q)
        x[highStart + q] *= 1.0f - static_cast<float>(q) / static_cast<float>(highRamp);
    // The transform back of the first `high` values reads the rest only where it folds the
    // top of the spectrum onto them (see CSineTransform::apply); only those need zeroing.
    const int top = std::min(high, size);
    const int folded = 2 * top < size ? size - top + 1 : top;
    std::fill(x + std::max(folded, top), x + size, 0.0f);

    const int lowRamp = low / rampDivisor;
    const int lowStart = std::max(low - lowRamp, 0);
    for (int q = 0; q < lowRamp; ++q)
        x[lowStart + q] *= static_cast<float>(q) / static_cast<float>(lowRamp);
    std::fill(x, x + lowStart, 0.0f);
}

// The transform back of spectrum[0..end) at the points of the search table only, weighted by
// the sub-frame window and added to the accumulator. Each point sums over the bins in order.
void CBandFilter::addSearchPoints(const float* spectrum, int end, const SearchSines& sines,
                                  const float* window, float* accumulator, float* points) {
    const int count = sines.points;
    std::fill(points, points + count, 0.0f);
    for (int q = 0; q < end; ++q) {
        const float x = spectrum[q];
        const float* row = sines.values.data() + static_cast<std::size_t>(q) * count;
        for (int t = 0; t < count; ++t)
            points[t] += x * row[t];
    }
    const int d = sines.decimation;
    for (int t = 0; t < count; ++t) {
        const int i = d * t + d - 1;
        accumulator[i] += points[t] * window[i];
    }
}

void CBandFilter::filter(float* segment, int analysisLength, int low, int high, int rampDivisor,
                         const FilterUse& use, const CRateTables& tables, float* accumulator,
                         FilterWork& work) {
    const int size = tables.sineTransform.size(); // 2048k
    const int hop = size / 2;
    const int subFrames = std::max(analysisLength / hop - 1, 1);
    // Scaled so that transforming twice (gain size / 2) and the formant stage's four
    // overlapping Hann windows (gain 2) leave the level unchanged at every rate.
    const float scale = 1.0f / static_cast<float>(size);
    const float* window = tables.hann.data();
    const int end = std::min(high, size);
    // Sub-frames that neither reach into the splice nor into the carried values are only
    // read by the search; for the lowest bands a few sums give those points.
    const SearchSines* sines = tables.searchSinesFor(use.decimation);
    const bool sparse = sines && end <= sines->bins;
    std::fill(accumulator, accumulator + std::max(analysisLength, size), 0.0f);

    for (int j = 0; j < subFrames; ++j) {
        // The band's spectrum ends at high: no more of it is computed, and the zeros above
        // it are left out of the transform back.
        tables.sineTransform.apply(segment + j * hop, work.spectrum, work.transform, scale, size,
                                   high);
        limitSpectrum(work.spectrum, size, low, high, rampDivisor);
        float* acc = accumulator + j * hop;
        if (sparse && j > 0 && j * hop + size <= use.segmentLength) {
            addSearchPoints(work.spectrum, end, *sines, window, acc, work.filtered);
            continue;
        }
        tables.sineTransform.apply(work.spectrum, work.filtered, work.transform, 1.0f, end);

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
