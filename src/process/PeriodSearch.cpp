#include "process/PeriodSearch.h"

#include <algorithm>
#include <cmath>

namespace Process {

int CPeriodSearch::mix(const float* const* segments, int channels, int length, int decimation,
                       float* search) {
    const int count = (length + decimation - 1) / decimation;
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

// The lag loop is innermost so that every A[lag] still sums over i in order while the
// compiler can vectorise across lags.
void CPeriodSearch::difference(const float* s, int lags, float* out) {
    float* __restrict a = out;
    std::fill(a, a + lags + 1, 0.0f);
    for (int i = 0; i < lags; ++i) {
        const float si = s[i];
        const float* __restrict shifted = s + i;
        for (int lag = 0; lag <= lags; ++lag)
            a[lag] += std::fabs(si - shifted[lag]);
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

} // namespace Process
