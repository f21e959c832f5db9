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

namespace {
// The difference function smoothed lag by lag, with a weight that fades over the first 50 lags,
// until it first falls: the minima before that belong to its initial rise.
class FallWatch {
  public:
    bool falls(int lag, float value) {
        const double g = std::max(0.0, 1.0 - 0.02 * lag);
        smoothed = lag == 0 ? value : (value + 2.0 * g * smoothed) / (2.0 * g + 1.0);
        const bool fell = smoothed - previous < 0.0;
        previous = smoothed;
        return fell;
    }

  private:
    double smoothed = 0.0;
    double previous = 0.0;
};
} // namespace

int CPeriodSearch::chooseLag(const float* a, int lags) {
    float best = 1e10f;
    int chosen = 0;
    bool falling = false;
    FallWatch watch;
    for (int lag = 0; lag < lags; ++lag) {
        if (!falling) falling = watch.falls(lag, a[lag]);
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

double CPeriodSearch::vertex(const float* a, int b) {
    const double left = a[b - 1], middle = a[b], right = a[b + 1];
    // The steeper side is the one whose far point lies on the same branch as the middle.
    const double slope = std::max(left, right) - middle;
    if (!(slope > 0.0)) return b;
    return b + std::clamp((left - right) / (2.0 * slope), -0.5, 0.5);
}

namespace {
// a[i] = sum over t < points of |x[t * stride] - x[t * stride + first + i]| for i < count. The
// lags are innermost, so that the loop vectorises; every a[i] sums over t in order.
SWK_SIMD_CLONES
void windowDifference(const float* x, int stride, int points, int first, int count, float* a) {
    std::fill(a, a + count, 0.0f);
    for (int t = 0; t < points; ++t) {
        const float value = x[t * stride];
        const float* shifted = x + t * stride + first;
        for (int i = 0; i < count; ++i)
            a[i] += std::fabs(value - shifted[i]);
    }
}

// sum over i < points of |x[i] - x[i + lag]|, in eight interleaved partial sums.
SWK_SIMD_CLONES
float wholeDifference(const float* x, int points, int lag) {
    constexpr int kLanes = 8;
    float lanes[kLanes] = {};
    int i = 0;
    for (; i + kLanes <= points; i += kLanes)
        for (int u = 0; u < kLanes; ++u)
            lanes[u] += std::fabs(x[i + u] - x[i + u + lag]);
    float sum = 0.0f;
    for (const float lane : lanes)
        sum += lane;
    for (; i < points; ++i)
        sum += std::fabs(x[i] - x[i + lag]);
    return sum;
}
} // namespace

// The minimum is walked to from the decimated search's estimate of it, a run of lags at a
// time, within [low, high].
CPeriodSearch::Refined CPeriodSearch::refineAround(const float* full, int decimation, int points,
                                                   double estimate, int low, int high) {
    constexpr int kRun = 8;
    const float* x = full + decimation - 1;
    // a[i] holds lag low - 1 + i: two decimation steps at most (of 64 frames, the lowest band's)
    // and one lag beyond each side, for the V.
    constexpr int kMaxWindow = 2 * 64 + 3;
    float a[kMaxWindow];
    const int end = std::min(high + 2, low - 1 + kMaxWindow);
    const int start = static_cast<int>(std::lround(estimate)) - kRun / 2;
    int from = std::clamp(start, low - 1, std::max(end - kRun, low - 1));
    int to = std::min(from + kRun, end);
    windowDifference(x, decimation, points, from, to - from, a + (from - low + 1));
    const auto at = [&](int lag) -> float& { return a[lag - low + 1]; };
    int best = from;
    for (;;) {
        best = from;
        for (int lag = from + 1; lag < to; ++lag)
            if (at(lag) < at(best)) best = lag;
        if (best == from && from > low - 1) {
            const int next = std::max(from - kRun, low - 1);
            windowDifference(x, decimation, points, next, from - next, &at(next));
            from = next;
        } else if (best == to - 1 && to < end) {
            const int next = std::min(to + kRun, end);
            windowDifference(x, decimation, points, to, next - to, &at(to));
            to = next;
        } else {
            break;
        }
    }
    best = std::clamp(best, std::max(low, from + 1), std::min(high, to - 2));
    return {best, at(best), std::max(at(best - 1), at(best + 1)) - at(best)};
}

// Where an undecimated search's smoothed function first falls (its first fall is at whole lags,
// not at the decimated ones), from the same sums over the decimated points, a run of lags at a
// time.
int CPeriodSearch::fineFallingFrom(const float* full, int decimation, int points, int lags) {
    constexpr int kRun = 64;
    float a[kRun];
    FallWatch watch;
    for (int first = 0; first < lags; first += kRun) {
        const int count = std::min(kRun, lags - first);
        windowDifference(full + decimation - 1, decimation, points, first, count, a);
        for (int i = 0; i < count; ++i)
            if (watch.falls(first + i, a[i])) return first + i;
    }
    return lags;
}

double CPeriodSearch::exactPeriod(const float* full, const float* a, int decimation, int lags,
                                  int maxLag) {
    const int points = lags * decimation;
    const int fall = std::max(fineFallingFrom(full, decimation, lags, points), 1);
    // A function that never falls (silence, for one) has its period at lag 1, as in the
    // undecimated search: the band then jumps by its whole drift.
    if (fall >= points) return tipOfWholeSums(full, points, 1, maxLag);
    // Every decimated minimum whose step reaches past the fall may hold the deepest whole lag;
    // one that stands higher than the deepest found plus half a step up its side cannot.
    Refined best{0, 0.0f, 0.0f};
    bool found = false;
    for (int b = std::max((fall + decimation - 1) / decimation - 1, 1); b < lags; ++b) {
        if (a[b] > a[b - 1] || a[b] > a[b + 1]) continue;
        if (found && a[b] >= best.depth + best.slope * static_cast<float>(decimation) * 0.5f)
            continue;
        const int low = std::max(b * decimation - decimation, fall);
        const int high = std::min(b * decimation + decimation, maxLag - 1);
        if (low > high) continue;
        const Refined other =
            refineAround(full, decimation, lags, vertex(a, b) * decimation, low, high);
        if (!found || other.depth < best.depth) best = other;
        found = true;
    }
    if (!found) best.lag = chooseLag(a, lags) * decimation;
    return tipOfWholeSums(full, points, best.lag, maxLag);
}

// The sums over a few points place a minimum to the frame but leave its tip uncertain by a few
// hundredths of a frame, and every jump would carry that error: the tip is taken from sums over
// every point, at the minimum and its two neighbours.
double CPeriodSearch::tipOfWholeSums(const float* full, int points, int lag, int maxLag) {
    const auto at = [&](int l) { return wholeDifference(full, points, l); };
    lag = std::clamp(lag, 1, maxLag - 1);
    float a[3] = {at(lag - 1), at(lag), at(lag + 1)};
    // The whole sums may put the minimum a lag or two beside the one the few points found.
    for (int step = 0; step < 4; ++step) {
        if (a[0] < a[1] && lag > 1) {
            --lag;
            a[2] = a[1], a[1] = a[0], a[0] = at(lag - 1);
        } else if (a[2] < a[1] && lag < maxLag - 1) {
            ++lag;
            a[0] = a[1], a[1] = a[2], a[2] = at(lag + 1);
        } else {
            break;
        }
    }
    return lag - 1 + vertex(a, 1);
}

} // namespace Engine
