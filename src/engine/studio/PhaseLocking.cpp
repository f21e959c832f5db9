#include "engine/studio/PhaseLocking.h"

#include <cmath>
#include <numbers>

namespace Engine::Studio {

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;
} // namespace

double principal(double angle) {
    return angle - kTwoPi * std::floor((angle + std::numbers::pi) / kTwoPi);
}

PhaseLocking::PhaseLocking(int bins_)
    : bins(bins_), theta(static_cast<std::size_t>(bins_)), peaks(static_cast<std::size_t>(bins_)) {
}

void PhaseLocking::reset() {
    std::fill(theta.begin(), theta.end(), 0.0);
    peakCount = 0;
}

// A peak is louder than its two neighbours on either side.
void PhaseLocking::findPeaks(const float* p) {
    peakCount = 0;
    for (int m = 2; m < bins - 2; ++m)
        if (p[m] > p[m - 1] && p[m] >= p[m + 1] && p[m] > p[m - 2] && p[m] >= p[m + 2])
            peaks[static_cast<std::size_t>(peakCount++)] = m;
}

void PhaseLocking::advance(const float* power, const std::complex<float>* cross, double measureHop,
                           double stretchHop) {
    findPeaks(power);
    if (peakCount == 0) return;
    const double binFrequency = kTwoPi / (2.0 * (bins - 1));
    // Each peak's rotation first, at its own bin.
    for (int i = 0; i < peakCount; ++i) {
        const int k = peaks[static_cast<std::size_t>(i)];
        const double expected = binFrequency * k * measureHop;
        const double measured = std::arg(std::complex<double>(cross[k]));
        const double omega = (expected + principal(measured - expected)) / measureHop;
        theta[static_cast<std::size_t>(k)] =
            principal(theta[static_cast<std::size_t>(k)] + omega * stretchHop);
    }
    // Then each region, bounded by the quietest bin between two peaks, takes its peak's.
    int from = 0;
    for (int i = 0; i < peakCount; ++i) {
        const int k = peaks[static_cast<std::size_t>(i)];
        int to = bins;
        if (i + 1 < peakCount) {
            const int next = peaks[static_cast<std::size_t>(i + 1)];
            int quietest = k + 1;
            for (int m = k + 1; m < next; ++m)
                if (power[m] < power[quietest]) quietest = m;
            // The quietest bin itself goes with the nearer peak, whose slope it lies on.
            to = quietest - k <= next - quietest ? quietest + 1 : quietest;
        }
        const double t = theta[static_cast<std::size_t>(k)];
        for (int m = from; m < to; ++m)
            theta[static_cast<std::size_t>(m)] = t;
        from = to;
    }
}

} // namespace Engine::Studio
