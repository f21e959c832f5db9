#include "engine/studio/TransientShift.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/studio/PhaseLocking.h"
#include "engine/studio/SpectralFrame.h"

namespace Engine::Studio {

namespace {
// Power above this many times the reference counts as new.
constexpr float kNewAbove = 1.0f;
constexpr int kSmoothing = 4; // bins either side
} // namespace

TransientShift::TransientShift(int frameSize, const float* window_)
    : frame(frameSize), bins(frameSize / 2 + 1), window(window_),
      reference(static_cast<std::size_t>(bins)) {
}

void TransientShift::reset() {
    std::fill(reference.begin(), reference.end(), 0.0f);
}

void TransientShift::quiet(const float* power) {
    double run = 0.0;
    for (int m = 0; m <= std::min(kSmoothing, bins - 1); ++m)
        run += power[m];
    for (int m = 0; m < bins; ++m) {
        const int lo = std::max(0, m - kSmoothing), hi = std::min(bins - 1, m + kSmoothing);
        reference[static_cast<std::size_t>(m)] = static_cast<float>(run / (hi - lo + 1));
        if (m + kSmoothing + 1 < bins) run += power[m + kSmoothing + 1];
        if (m - kSmoothing >= 0) run -= power[m - kSmoothing];
    }
}

// The overlap-add of a hit shifted in every frame sums the analysis window at the source's
// pace against the synthesis window at the output's: Σw(v)w(rv) instead of Σw(v)².
float TransientShift::shiftGain(double ratio) {
    if (ratio == gainRatio) return gain;
    double same = 0.0, shifted = 0.0;
    const double half = frame / 2.0;
    for (int i = 0; i < frame; ++i) {
        const double v = (i - half) * ratio + half;
        const double w =
            v <= 0.0 || v >= frame ? 0.0 : 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * v / frame);
        same += double{window[i]} * window[i];
        shifted += window[i] * w;
    }
    gainRatio = ratio;
    gain = static_cast<float>(same / (ratio * shifted));
    return gain;
}

void TransientShift::mix(const float* power, double offset, double rounding, double ratio,
                         double* theta, std::complex<float>* rotation) {
    const float g0 = shiftGain(ratio);
    // Content at the onset sits `offset - rounding` from the frame's centre; in the output it
    // belongs `ratio × offset` from the synthesis frame's centre.
    const double move = ratio * offset - (offset - rounding);
    const double binFrequency = 2.0 * std::numbers::pi / frame;
    for (int m = 0; m < bins; ++m) {
        const float p = power[m];
        const float ref = reference[static_cast<std::size_t>(m)] * kNewAbove;
        const float g = p > ref ? std::sqrt(1.0f - ref / p) : 0.0f;
        const double shifted = principal(-binFrequency * m * move);
        const double kept = theta[m];
        rotation[m] = (1.0f - g) * std::polar(1.0f, static_cast<float>(kept)) +
                      g * g0 * std::polar(1.0f, static_cast<float>(shifted));
        theta[m] = g > 0.5f ? shifted : kept;
    }
}

} // namespace Engine::Studio
