#include "process/OnsetEnvelope.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/FftwPlanner.h"

namespace Process {

namespace {
// About 46 ms frames whatever the rate, eight hops to a frame (5.8 ms at 44.1 kHz).
int frameSizeFor(double sampleRate) {
    int size = 256;
    while (size < sampleRate * 0.046) size *= 2;
    return size;
}
// Compression of the magnitudes before they are compared, so that quiet onsets count too.
constexpr float kCompression = 1000.0f;
} // namespace

OnsetEnvelope::OnsetEnvelope(double sampleRate)
    : rate(sampleRate), size(frameSizeFor(sampleRate)), hop(size / 8),
      window(static_cast<std::size_t>(size)), pending(static_cast<std::size_t>(size)),
      buffer(4 * static_cast<std::size_t>(size) + Engine::kAlignmentSlack),
      previous(static_cast<std::size_t>(size / 2)), current(static_cast<std::size_t>(size / 2)),
      fft(size) {
    for (int i = 0; i < size; ++i)
        window[static_cast<std::size_t>(i)] =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / size));
}

void OnsetEnvelope::add(const float* samples, std::size_t count) {
    while (count > 0) {
        const std::size_t take = std::min(count, pending.size() - filled);
        std::copy_n(samples, take, pending.begin() + static_cast<std::ptrdiff_t>(filled));
        filled += take;
        samples += take;
        count -= take;
        if (filled < pending.size()) return;
        analyseFrame();
        std::copy(pending.begin() + hop, pending.end(), pending.begin());
        filled -= static_cast<std::size_t>(hop);
    }
}

void OnsetEnvelope::analyseFrame() {
    float* in = Engine::simdAligned(buffer.data());
    float* out = in + 2 * size;
    for (int i = 0; i < size; ++i) {
        in[2 * i] = pending[static_cast<std::size_t>(i)] * window[static_cast<std::size_t>(i)];
        in[2 * i + 1] = 0.0f;
    }
    fft.forward(in, out);
    float rise = 0.0f;
    for (int k = 0; k < size / 2; ++k) {
        const float magnitude = std::hypot(out[2 * k], out[2 * k + 1]);
        current[static_cast<std::size_t>(k)] = std::log1p(kCompression * magnitude);
        rise += std::max(0.0f, current[static_cast<std::size_t>(k)] -
                                   previous[static_cast<std::size_t>(k)]);
    }
    flux.push_back(first ? 0.0f : rise / static_cast<float>(size / 2));
    first = false;
    std::swap(previous, current);
}

} // namespace Process
