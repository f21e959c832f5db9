#pragma once
// The studio quality: a phase vocoder of 93 ms frames at an eighth hop with identity phase
// locking, onsets moved whole instead of phase-propagated, the envelope kept or moved by a
// cepstral estimate, the pitch set by a sinc resampler after the stretch and a look-ahead
// limiter before the output. Pitch and duration follow the factors exactly: the analysis
// position is carried in fractions of a frame, the resampler's read position likewise.
//
// Every channel gets the same phase rotation per bin, derived from all channels together, so
// identical channels stay identical and opposite ones exactly opposite.
#include <array>
#include <complex>
#include <memory>
#include <vector>

#include "engine/TimePitchEngine.h"
#include "engine/studio/FormantEnvelope.h"
#include "engine/studio/OnsetDetector.h"
#include "engine/studio/PeakLimiter.h"
#include "engine/studio/PhaseLocking.h"
#include "engine/studio/SincResampler.h"
#include "engine/studio/SpectralFrame.h"
#include "engine/studio/StudioLayout.h"
#include "engine/studio/TransientShift.h"

namespace Engine {

class StudioEngine : public TimePitchEngine {
  public:
    StudioEngine(const StreamFormat& format, const EngineOptions& options);

    void setFactors(const Factors& factors) override;
    SourceSpan nextInput() const override;
    float* const* input() override { return inputs.data(); }
    int process() override;
    const float* const* output() const override { return outputs.data(); }
    std::int64_t latency() const override;
    double step() const override { return layout.hop; }
    bool exactDuration() const override { return true; }
    int maxInputFrames() const override { return maxInput; }
    int maxOutputFrames() const override { return maxOutput; }
    const StreamFormat& format() const override { return streamFormat; }
    void reset() override;

  private:
    using Complex = std::complex<float>;
    using Spectrum = std::vector<Complex>;

    double nextCentre() const;
    void takeInput(std::int64_t frames);
    void analyse(std::int64_t centre);
    void rotate(std::int64_t centre, double exactCentre);
    void synthesise();

    StreamFormat streamFormat;
    EngineOptions options;
    Studio::Layout layout;
    int channels;
    int historyLength; // a frame and one hop more, for the second look at extreme hops
    int maxInput, maxOutput;
    Factors factors;

    Studio::SpectralFrame transform;
    Studio::PhaseLocking locking;
    Studio::TransientShift transients;
    Studio::OnsetDetector onsets;
    Studio::FormantEnvelope formants;
    Studio::SincResampler resampler;
    Studio::PeakLimiter limiter;

    std::vector<std::vector<float>> history, inputBuffers, outputBuffers, overlap;
    std::array<float*, Audio::kMaxEngineChannels> inputs{}, outputs{};
    std::vector<Spectrum> spectra, previous, measure;
    std::vector<float> power, formantGain;
    Spectrum cross, rotation, synthesis;

    std::int64_t readPosition = 0; // source frames read so far
    std::int64_t frameIndex = 0;
    double lastCentre = 0.0;    // exact analysis centre of the last frame
    std::int64_t lastPoint = 0; // its integer position
};

} // namespace Engine
