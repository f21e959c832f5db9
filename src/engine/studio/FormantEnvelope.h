#pragma once
// The spectral envelope of a frame by cepstral smoothing (the log spectrum's cosine transform,
// cut above 1.5 ms of quefrency, so a voice's harmonics up to about 650 Hz apart fall away),
// and the gain per bin that moves it by a factor: E(f / factor) / E(f). A factor of 1 leaves
// the envelope where the pitch shift takes it; 1 / pitch keeps it where it was.
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
    int bins;
    int cutoff; // quefrency bins kept
    float* logs = nullptr;
    float* cepstrum = nullptr;
    void* plan = nullptr;
};

} // namespace Engine::Studio
