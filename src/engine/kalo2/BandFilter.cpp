#include "engine/kalo2/BandFilter.h"

#include <algorithm>

#include "engine/SimdClones.h"

namespace Engine {

SWK_SIMD_CLONES
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
SWK_SIMD_CLONES
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

// Sub-frame j's first half [j * hop, (j + 1) * hop) is complete once j is added, and its
// input has been read by then: it goes straight back into the segment. Its second half waits
// in the carry for the next sub-frame. Every value is the sum the accumulation over the whole
// segment gave (0 + first contribution + second), formed in the same order.
SWK_SIMD_CLONES
void CBandFilter::overlapAdd(const float* filtered, const float* window, int hop, Placement at,
                             float* carry, float* out) {
    if (at.first) {
        for (int i = 0; i < hop; ++i)
            out[i] = 0.0f + filtered[i];
    } else {
        for (int i = 0; i < hop; ++i)
            out[i] = carry[i] + filtered[i] * window[i];
    }
    if (!at.carried) return;
    if (at.plain) {
        for (int i = 0; i < hop; ++i)
            carry[i] = 0.0f + filtered[hop + i];
    } else {
        for (int i = 0; i < hop; ++i)
            carry[i] = 0.0f + filtered[hop + i] * window[hop + i];
    }
}

// A sub-frame only the search reads: its values at the search points alone (every
// decimation-th value from decimation - 1 on, hop being a multiple of the decimation).
void CBandFilter::addSparseFrame(const float* spectrum, int end, const SearchSines& sines,
                                 const float* window, int hop, float* carry, float* out,
                                 float* points) {
    const int d = sines.decimation;
    for (int i = hop + d - 1; i < 2 * hop; i += d)
        carry[i] = 0.0f;
    addSearchPoints(spectrum, end, sines, window, carry, points);
    for (int i = d - 1; i < hop; i += d) {
        out[i] = carry[i];
        carry[i] = carry[hop + i];
    }
}

void CBandFilter::filter(float* segment, int analysisLength, int low, int high, int rampDivisor,
                         const FilterUse& use, const CRateTables& tables, float* carry,
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
    // Values of the last sub-frame's second half that fall inside the analysis length.
    const int tail = std::clamp(analysisLength - subFrames * hop, 0, hop);
    // A single sub-frame is written unweighted, and only as far as the analysis length.
    const int wanted = subFrames == 1 ? hop + tail : size;

    for (int j = 0; j < subFrames; ++j) {
        // Such a sub-frame reaches neither the splice nor the carried values.
        const bool searchOnly = j > 0 && j * hop + size <= use.segmentLength;
        const bool summed = searchOnly && use.decimation == 0 && use.searchSpectra;
        if (searchOnly && use.decimation == 0 && !summed) continue;
        // The band's spectrum ends at high: no more of it is computed, and the zeros above
        // it are left out of the transform back.
        tables.sineTransform.apply(segment + static_cast<std::ptrdiff_t>(j) * hop, work.spectrum,
                                   work.transform, scale, size, high);
        limitSpectrum(work.spectrum, size, low, high, rampDivisor);
        float* out = segment + static_cast<std::ptrdiff_t>(j) * hop;
        if (summed) {
            float* sum = use.searchSpectra + static_cast<std::ptrdiff_t>(j - 1) * size;
            for (int q = 0; q < end; ++q)
                sum[q] += work.spectrum[q];
            // The part of the values before it that belongs to the sub-frame before.
            std::copy(carry, carry + hop, out);
            std::fill(carry, carry + hop, 0.0f);
            continue;
        }
        if (sparse && searchOnly) {
            addSparseFrame(work.spectrum, end, *sines, window, hop, carry, out, work.filtered);
            continue;
        }
        tables.sineTransform.apply(work.spectrum, work.filtered, work.transform, 1.0f, end, wanted);
        // The first sub-frame starts unweighted: nothing overlaps it there.
        const Placement at{j == 0, subFrames == 1, j + 1 < subFrames || tail > 0};
        overlapAdd(work.filtered, window, hop, at, carry, out);
    }
    std::copy(carry, carry + tail, segment + static_cast<std::ptrdiff_t>(subFrames) * hop);
}

int CBandFilter::searchOnlyFrames(int analysisLength, int segmentLength,
                                  const CRateTables& tables) {
    const int size = tables.sineTransform.size();
    const int hop = size / 2;
    const int subFrames = std::max(analysisLength / hop - 1, 1);
    int count = 0;
    for (int j = 1; j < subFrames; ++j)
        count += j * hop + size <= segmentLength ? 1 : 0;
    return count;
}

void CBandFilter::addSearchFrames(const FilterUse& use, int analysisLength, int high, float gain,
                                  const CRateTables& tables, float* mix, FilterWork& work) {
    const int size = tables.sineTransform.size();
    const int hop = size / 2;
    const float* window = tables.hann.data();
    const int frames = searchOnlyFrames(analysisLength, use.segmentLength, tables);
    for (int j = 1; j <= frames; ++j) {
        const float* sum = use.searchSpectra + static_cast<std::ptrdiff_t>(j - 1) * size;
        tables.sineTransform.apply(sum, work.filtered, work.transform, 1.0f, std::min(high, size),
                                   size);
        float* out = mix + static_cast<std::ptrdiff_t>(j) * hop;
        for (int i = 0; i < size; ++i)
            out[i] += gain * (work.filtered[i] * window[i]);
    }
}

} // namespace Engine
