#pragma once
// Reads the stretched signal at `pitch` frames per output frame: a Kaiser-windowed sinc of 64
// taps (per unit of the ratio above 1, which lowers its cutoff), looked up in a table of 512
// phases per tap with linear steps between them; about −90 dB of images and aliases.
// The ratio may change between calls; the read position carries on exactly.
#include <cstdint>
#include <vector>

namespace Engine::Studio {

class SincResampler {
  public:
    static constexpr int kHalfTaps = 32;
    static constexpr double kMaxRatio = 4.0;

    SincResampler(int channels, int capacity);

    // Appends frames [0, count) of every channel; room for `capacity` frames past the kernel.
    void push(const float* const* frames, int count);
    // Output frames while the input reaches far enough: at most `room`; returns how many.
    int pull(float* const* out, int room, double ratio);
    // Empties the input and puts the read position at `start`; the first frame pushed then is
    // input frame `firstInput`, and silence stands before it.
    void reset(double start, std::int64_t firstInput);

  private:
    float kernelAt(double x) const;

    int channels;
    int capacity;
    std::vector<float> table;             // the kernel at x = i / kPhases, x in [0, kHalfTaps]
    std::vector<std::vector<float>> fifo; // input frames from index `first`
    std::vector<float> weights;
    std::int64_t first = 0; // input index of fifo[c][0]
    int count = 0;          // frames held
    double position = 0.0;  // input index of the next output frame
};

} // namespace Engine::Studio
