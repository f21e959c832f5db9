#pragma once
// The spectral envelope of a frame as a true envelope: cepstral smoothing (the log spectrum's
// cosine transform cut above 2.2 ms of quefrency, tapering to nothing at 4.4 ms, so the
// harmonics of voices below about 230 Hz fall away), repeated with the spectrum lifted to the
// envelope wherever it lay below. Then the gain per bin that moves the envelope by a factor:
// E(f / factor) / E(f). A factor of 1 leaves the envelope where the pitch shift takes it;
// 1 / pitch keeps it where it was.
#include <vector>

namespace Engine::Studio {

class FormantEnvelope {
  public:
    FormantEnvelope(int bins, double sampleRate);
    ~FormantEnvelope();
    FormantEnvelope(const FormantEnvelope&) = delete;
    FormantEnvelope& operator=(const FormantEnvelope&) = delete;

    // power[0..bins) → gain[0..bins); allocates nothing.
    void gains(const float* power, double factor, float* gain);

  private:
    void smooth(const float* from, float* to);
    void estimate(const float* power);

    int bins;
    int size;   // the FFT's: 2 (bins − 1)
    int cutoff; // quefrency bins kept
    int reach;  // bins either side of the running maximum
    std::vector<float> lifter, raw, logs, envelope;
    float* even = nullptr;
    void* cepstrum = nullptr;
    void* forwardPlan = nullptr;
    void* inversePlan = nullptr;
};

} // namespace Engine::Studio
