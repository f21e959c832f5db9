#include "engine/studio/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace Engine::Studio {

namespace {
constexpr float kCeiling = 0.977f; // −0.2 dBFS
} // namespace

PeakLimiter::PeakLimiter(int channels_, double sampleRate)
    : channels(channels_), lookAhead(std::max(8, static_cast<int>(sampleRate * 0.0015))),
      release(static_cast<float>(1.0 / (0.05 * sampleRate))),
      line(static_cast<std::size_t>(channels_),
           std::vector<float>(static_cast<std::size_t>(lookAhead + 1))),
      needed(static_cast<std::size_t>(lookAhead + 1), 1.0f) {
}

void PeakLimiter::reset() {
    for (auto& l : line)
        std::fill(l.begin(), l.end(), 0.0f);
    std::fill(needed.begin(), needed.end(), 1.0f);
    at = 0;
    limiting = 0;
    gain = 1.0f;
}

// The ring holds the frame leaving now at `at` and the lookAhead frames after it.
float PeakLimiter::gainNow() {
    float g = 1.0f;
    if (limiting > 0) {
        const int size = lookAhead + 1;
        for (int k = 0; k < size; ++k) {
            const float n = needed[static_cast<std::size_t>((at + k) % size)];
            if (n < 1.0f)
                g = std::min(g, 1.0f - (1.0f - n) * (1.0f - static_cast<float>(k) / size));
        }
    }
    gain = std::min(g, gain + release);
    return gain;
}

void PeakLimiter::process(float* const* frames, int count) {
    const int size = lookAhead + 1;
    for (int i = 0; i < count; ++i) {
        // The newest frame goes where the oldest leaves, after the oldest is taken out.
        float peak = 0.0f;
        for (int c = 0; c < channels; ++c)
            peak = std::max(peak, std::abs(frames[c][i]));
        const int newest = (at + lookAhead) % size;
        const float need = peak > kCeiling ? kCeiling / peak : 1.0f;
        if (needed[static_cast<std::size_t>(newest)] < 1.0f) --limiting;
        needed[static_cast<std::size_t>(newest)] = need;
        if (need < 1.0f) ++limiting;
        for (int c = 0; c < channels; ++c)
            line[static_cast<std::size_t>(c)][static_cast<std::size_t>(newest)] = frames[c][i];
        const float g = gainNow();
        for (int c = 0; c < channels; ++c) {
            const float out = line[static_cast<std::size_t>(c)][static_cast<std::size_t>(at)];
            frames[c][i] = g == 1.0f ? out : out * g;
        }
        at = (at + 1) % size;
    }
}

} // namespace Engine::Studio
