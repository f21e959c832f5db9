#pragma once
// The frame sizes of the studio engine for a sample rate: a frame of about 93 ms resolves the
// partials of low chords, eight frames overlap so that a stretched frame still sums evenly.
#include <cmath>

namespace Engine::Studio {

struct Layout {
    int frame;   // FFT size, a power of two
    int hop;     // synthesis hop: frame / 8, the engine's step
    int bins;    // frame / 2 + 1
    double rate; // sample rate

    explicit Layout(double sampleRate) : rate(sampleRate) {
        frame = 4096;
        while (frame < 32768 && sampleRate > frame * 10.77 * 1.45)
            frame *= 2;
        hop = frame / 8;
        bins = frame / 2 + 1;
    }
};

} // namespace Engine::Studio
