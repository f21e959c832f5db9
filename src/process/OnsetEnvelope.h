#pragma once
// How strongly new sound starts at each moment of a signal: the spectral flux of short,
// overlapping frames (the mean rise of the log-compressed magnitudes over the bins), at about
// 170 values a second. Rhythm shows in it as a train of peaks.
#include <cstddef>
#include <vector>

#include "engine/ComplexFft.h"

namespace Process {

class OnsetEnvelope {
  public:
    explicit OnsetEnvelope(double sampleRate);

    // Feeds the next mono samples; values come out whenever a hop is complete.
    void add(const float* samples, std::size_t count);
    const std::vector<float>& values() const { return flux; }
    // Seconds between two values.
    double hopSeconds() const { return static_cast<double>(hop) / rate; }

  private:
    void analyseFrame();

    double rate;
    int size; // frame length, a power of two
    int hop;
    std::vector<float> window;
    std::vector<float> pending; // the samples of the frame being gathered
    std::size_t filled = 0;
    std::vector<float> buffer; // aligned complex in/out of the transform
    std::vector<float> previous, current; // log magnitudes of the last two frames
    bool first = true;
    Engine::CComplexFft fft;
    std::vector<float> flux;
};

} // namespace Process
