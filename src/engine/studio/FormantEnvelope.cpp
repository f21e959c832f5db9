#include "engine/studio/FormantEnvelope.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>

#include <fftw3.h>

#include "engine/FftwPlanner.h"

namespace Engine::Studio {

namespace {
// The envelope may lift a bin by at most this much (24 dB), so noise between formants does not
// turn into a whistle.
constexpr float kMaxLift = 16.0f;
constexpr int kRounds = 4;
} // namespace

FormantEnvelope::FormantEnvelope(int bins_, double sampleRate)
    : bins(bins_), size(2 * (bins_ - 1)),
      cutoff(std::max(8, static_cast<int>(sampleRate * 0.0022))),
      reach(static_cast<int>(90.0 / (sampleRate / size))),
      lifter(static_cast<std::size_t>(2 * cutoff)), raw(static_cast<std::size_t>(bins_)),
      logs(static_cast<std::size_t>(bins_)), envelope(static_cast<std::size_t>(bins_)) {
    for (int q = 0; q < 2 * cutoff; ++q)
        lifter[static_cast<std::size_t>(q)] =
            q < cutoff ? 1.0f : 0.5f + 0.5f * std::cos(3.14159265f * (q - cutoff) / cutoff);
    even = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<std::size_t>(size)));
    cepstrum = fftwf_malloc(sizeof(fftwf_complex) * static_cast<std::size_t>(bins));
    if (!even || !cepstrum) throw std::bad_alloc();
    auto* c = static_cast<fftwf_complex*>(cepstrum);
    const std::lock_guard lock(fftwPlannerLock());
    forwardPlan = fftwf_plan_dft_r2c_1d(size, even, c, FFTW_ESTIMATE);
    inversePlan = fftwf_plan_dft_c2r_1d(size, c, even, FFTW_ESTIMATE);
    if (!forwardPlan || !inversePlan) throw std::runtime_error("FormantEnvelope: no FFT plan");
}

FormantEnvelope::~FormantEnvelope() {
    {
        const std::lock_guard lock(fftwPlannerLock());
        if (forwardPlan) fftwf_destroy_plan(static_cast<fftwf_plan>(forwardPlan));
        if (inversePlan) fftwf_destroy_plan(static_cast<fftwf_plan>(inversePlan));
    }
    fftwf_free(even);
    fftwf_free(cepstrum);
}

// The log spectrum's low quefrencies: the spectrum mirrored into a real even sequence, whose
// transform is real (the cepstrum), cut with a half-cosine edge and transformed back.
// (FFTW's own DCT-I of these sizes allocates a buffer per call.)
void FormantEnvelope::smooth(const float* from, float* to) {
    for (int m = 0; m < bins; ++m)
        even[m] = from[m];
    for (int m = 1; m < bins - 1; ++m)
        even[size - m] = from[m];
    auto* c = static_cast<fftwf_complex*>(cepstrum);
    fftwf_execute_dft_r2c(static_cast<fftwf_plan>(forwardPlan), even, c);
    const float scale = 1.0f / static_cast<float>(size);
    for (int q = 0; q < bins; ++q) {
        c[q][0] *= q < 2 * cutoff ? lifter[static_cast<std::size_t>(q)] * scale : 0.0f;
        c[q][1] = 0.0f;
    }
    fftwf_execute_dft_c2r(static_cast<fftwf_plan>(inversePlan), c, even);
    for (int m = 0; m < bins; ++m)
        to[m] = even[m];
}

// A true envelope: smoothing alone sinks into the gaps between a voice's harmonics, so each
// round lifts the spectrum to the last envelope where it lay below it. Starting from the
// spectrum's running maximum over 90 Hz makes a few rounds enough.
void FormantEnvelope::estimate(const float* power) {
    float peak = 0.0f;
    for (int m = 0; m < bins; ++m)
        peak = std::max(peak, power[m]);
    const float floor = peak * 1e-10f + 1e-30f;
    for (int m = 0; m < bins; ++m)
        raw[static_cast<std::size_t>(m)] = 0.5f * std::log(std::max(power[m], floor));
    for (int m = 0; m < bins; ++m) {
        float v = raw[static_cast<std::size_t>(m)];
        for (int k = std::max(0, m - reach); k <= std::min(bins - 1, m + reach); ++k)
            v = std::max(v, raw[static_cast<std::size_t>(k)]);
        logs[static_cast<std::size_t>(m)] = v;
    }
    for (int round = 0; round < kRounds; ++round) {
        smooth(logs.data(), envelope.data());
        for (int m = 0; m < bins; ++m)
            logs[static_cast<std::size_t>(m)] =
                std::max(logs[static_cast<std::size_t>(m)], envelope[static_cast<std::size_t>(m)]);
    }
    smooth(logs.data(), envelope.data());
}

void FormantEnvelope::gains(const float* power, double factor, float* gain) {
    estimate(power);
    const float* e = envelope.data();
    for (int m = 0; m < bins; ++m) {
        const double at = std::min(m / factor, static_cast<double>(bins - 1));
        const int i = static_cast<int>(at);
        const float frac = static_cast<float>(at - i);
        const float moved = i + 1 < bins ? e[i] + frac * (e[i + 1] - e[i]) : e[i];
        gain[m] = std::min(kMaxLift, std::exp(moved - e[m]));
    }
}

} // namespace Engine::Studio
