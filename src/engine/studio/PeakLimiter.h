#pragma once
// Keeps the output below full scale before it is quantised: a phase vocoder may build peaks the
// source never had. One gain for all channels (so L = −R stays negated), looking ahead 1.5 ms:
// the gain ramps down to what the coming peak needs and recovers over 50 ms. Below the ceiling
// it passes the samples through unchanged, only delayed.
#include <vector>

namespace Engine::Studio {

class PeakLimiter {
  public:
    PeakLimiter(int channels, double sampleRate);

    // Frames [0, count) in place; the output lags the input by delay() frames.
    void process(float* const* frames, int count);
    int delay() const { return lookAhead; }
    void reset();

  private:
    float gainNow();

    int channels;
    int lookAhead;
    float release;
    std::vector<std::vector<float>> line; // delayed samples, a ring of lookAhead + 1
    std::vector<float> needed;            // gain each delayed frame needs, the same ring
    int at = 0;
    int limiting = 0; // frames in the ring that need less than 1
    float gain = 1.0f;
};

} // namespace Engine::Studio
