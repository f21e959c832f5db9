#include "engine/studio/SincResampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Engine::Studio {

namespace {
constexpr int kPhases = 512;
constexpr double kCutoff = 0.455; // of the sample rate, at ratio 1 and below
constexpr double kBeta = 9.0;

double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}
} // namespace

SincResampler::SincResampler(int channels_, int capacity_)
    : channels(channels_), capacity(capacity_ + 2 * static_cast<int>(kHalfTaps * kMaxRatio) + 8),
      table(static_cast<std::size_t>(kHalfTaps * kPhases + 2)),
      fifo(static_cast<std::size_t>(channels_),
           std::vector<float>(static_cast<std::size_t>(capacity))),
      weights(static_cast<std::size_t>(2 * kHalfTaps * kMaxRatio + 4)) {
    const double norm = besselI0(kBeta);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const double x = static_cast<double>(i) / kPhases;
        const double t = std::min(x / kHalfTaps, 1.0);
        const double sinc = x == 0.0 ? 1.0
                                     : std::sin(2.0 * std::numbers::pi * kCutoff * x) /
                                           (2.0 * std::numbers::pi * kCutoff * x);
        table[i] = static_cast<float>(2.0 * kCutoff * sinc *
                                      besselI0(kBeta * std::sqrt(1.0 - t * t)) / norm);
    }
    reset(0.0, 0);
}

void SincResampler::reset(double start, std::int64_t firstInput) {
    position = start;
    const double reach = kHalfTaps * kMaxRatio + 2;
    first = std::min(firstInput, static_cast<std::int64_t>(std::floor(start - reach)));
    count = static_cast<int>(firstInput - first);
    for (auto& f : fifo)
        std::fill(f.begin(), f.begin() + count, 0.0f);
}

float SincResampler::kernelAt(double x) const {
    const double at = std::abs(x) * kPhases;
    const auto i = static_cast<std::size_t>(at);
    if (i >= static_cast<std::size_t>(kHalfTaps * kPhases)) return 0.0f;
    const float frac = static_cast<float>(at - static_cast<double>(i));
    return table[i] + frac * (table[i + 1] - table[i]);
}

void SincResampler::push(const float* const* frames, int n) {
    // Drop what the next output no longer reaches.
    const double reach = kHalfTaps * kMaxRatio + 2;
    const auto keepFrom = static_cast<std::int64_t>(std::floor(position - reach));
    const int drop = static_cast<int>(std::clamp<std::int64_t>(keepFrom - first, 0, count));
    for (int c = 0; c < channels; ++c) {
        auto& f = fifo[static_cast<std::size_t>(c)];
        std::copy(f.begin() + drop, f.begin() + count, f.begin());
        std::copy(frames[c], frames[c] + n, f.begin() + (count - drop));
    }
    first += drop;
    count += n - drop;
}

int SincResampler::pull(float* const* out, int room, double ratio) {
    const double scale = std::max(1.0, ratio);
    const double halfWidth = kHalfTaps * scale;
    const std::int64_t end = first + count; // first index not held
    int made = 0;
    while (made < room) {
        const auto lo = static_cast<std::int64_t>(std::ceil(position - halfWidth));
        const auto hi = static_cast<std::int64_t>(std::floor(position + halfWidth));
        if (hi >= end) break;
        const int taps = static_cast<int>(hi - lo + 1);
        for (int t = 0; t < taps; ++t)
            weights[static_cast<std::size_t>(t)] =
                kernelAt((static_cast<double>(lo + t) - position) / scale) /
                static_cast<float>(scale);
        const auto offset = static_cast<std::size_t>(lo - first);
        for (int c = 0; c < channels; ++c) {
            const float* x = fifo[static_cast<std::size_t>(c)].data() + offset;
            float sum = 0.0f;
            for (int t = 0; t < taps; ++t)
                sum += weights[static_cast<std::size_t>(t)] * x[t];
            out[c][made] = sum;
        }
        ++made;
        position += ratio;
    }
    return made;
}

} // namespace Engine::Studio
