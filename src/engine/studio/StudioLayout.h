#pragma once
// The frame sizes of the studio engine for a sample rate: a frame of about 93 ms resolves the
// partials of low chords, eight frames overlap so that a stretched frame still sums evenly.
#include <algorithm>
#include <cmath>

namespace Engine::Studio {

struct Layout {
    int frame;   // FFT size, a power of two
    int hop;     // synthesis hop: frame / 8, the engine's step
    int bins;    // frame / 2 + 1
    double rate; // sample rate

    explicit Layout(double sampleRate) : rate(sampleRate) {
        // The power of two nearest to 93 ms: 4096 at 44.1 and 48 kHz, 1024 at 8 kHz.
        const double ideal = std::log2(std::clamp(sampleRate, 4000.0, 400000.0) * 0.0929);
        frame = 1 << static_cast<int>(std::lround(ideal));
        hop = frame / 8;
        bins = frame / 2 + 1;
    }
};

} // namespace Engine::Studio
