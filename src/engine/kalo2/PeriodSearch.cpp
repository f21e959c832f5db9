#include "engine/kalo2/PeriodSearch.h"

#include <algorithm>
#include <cmath>

#include "engine/SimdClones.h"

namespace Engine {

namespace {
// Undecimated, the channels are summed one after another over the whole segment, so that each
// pass is a plain vector loop; every value still adds the channels in order.
SWK_SIMD_CLONES
void mixEvery(const float* const* segments, int channels, int length, float* search) {
    const float divisor = static_cast<float>(channels);
    for (int i = 0; i < length; ++i)
        search[i] = 0.0f + segments[0][i];
    for (int c = 1; c < channels; ++c)
        for (int i = 0; i < length; ++i)
            search[i] += segments[c][i];
    for (int i = 0; i < length; ++i)
        search[i] /= divisor;
}
} // namespace

int CPeriodSearch::mix(const float* const* segments, int channels, int length, int decimation,
                       float* search) {
    const int count = (length + decimation - 1) / decimation;
    if (decimation == 1) {
        mixEvery(segments, channels, length, search);
        return count;
    }
    const float divisor = static_cast<float>(channels);
    for (int j = 0; j < count; ++j) {
        const int i = std::min(j * decimation + decimation - 1, length - 1);
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c)
            sum += segments[c][i];
        search[j] = sum / divisor;
    }
    return count;
}

// The lag loop is innermost so that the compiler can vectorise across lags, and four values
// of i are taken per pass so that A is loaded and stored a quarter as often. Every A[lag]
// still sums over i in increasing order.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
[[gnu::target_clones("avx512f", "avx2", "default")]]
#endif
void CPeriodSearch::difference(const float* s, int lags, float* out) {
    float* __restrict a = out;
    std::fill(a, a + lags + 1, 0.0f);
    int i = 0;
    for (; i + 4 <= lags; i += 4) {
        const float s0 = s[i], s1 = s[i + 1], s2 = s[i + 2], s3 = s[i + 3];
        const float* __restrict x = s + i;
        for (int lag = 0; lag <= lags; ++lag) {
            float sum = a[lag];
            sum += std::fabs(s0 - x[lag]);
            sum += std::fabs(s1 - x[lag + 1]);
            sum += std::fabs(s2 - x[lag + 2]);
            sum += std::fabs(s3 - x[lag + 3]);
            a[lag] = sum;
        }
    }
    for (; i < lags; ++i) {
        const float si = s[i];
        const float* __restrict x = s + i;
        for (int lag = 0; lag <= lags; ++lag)
            a[lag] += std::fabs(si - x[lag]);
    }
}

int CPeriodSearch::chooseLag(const float* a, int lags) {
    float best = 1e10f;
    int chosen = 0;
    bool falling = false;
    double smoothed = 0.0;
    double previous = 0.0;
    for (int lag = 0; lag < lags; ++lag) {
        if (!falling) {
            const double g = std::max(0.0, 1.0 - 0.02 * lag);
            smoothed = lag == 0 ? a[0] : (a[lag] + 2.0 * g * smoothed) / (2.0 * g + 1.0);
            if (smoothed - previous < 0.0) falling = true;
            previous = smoothed;
        }
        if (falling && a[lag] < best) {
            best = a[lag];
            chosen = lag;
        }
    }
    return std::max(chosen, 1);
}

double CPeriodSearch::refine(const float* a, int b, int decimation) {
    const double d1 = static_cast<double>(a[b]) - a[b - 1];
    const double d2 = static_cast<double>(a[b]) - a[b + 1];
    return decimation * (b + (d1 - d2) / (d1 + d2 + 1e-30));
}

} // namespace Engine
