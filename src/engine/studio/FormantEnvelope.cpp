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
    : bins(bins_), cutoff(std::max(8, static_cast<int>(sampleRate * 0.0022))),
      reach(static_cast<int>(90.0 / (sampleRate / (2.0 * (bins_ - 1))))),
      lifter(static_cast<std::size_t>(2 * cutoff)), raw(static_cast<std::size_t>(bins_)),
      envelope(static_cast<std::size_t>(bins_)) {
    for (int q = 0; q < 2 * cutoff; ++q)
        lifter[static_cast<std::size_t>(q)] =
            q < cutoff ? 1.0f : 0.5f + 0.5f * std::cos(3.14159265f * (q - cutoff) / cutoff);
    logs = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<std::size_t>(bins)));
    cepstrum = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<std::size_t>(bins)));
    if (!logs || !cepstrum) throw std::bad_alloc();
    const std::lock_guard lock(fftwPlannerLock());
    plan = fftwf_plan_r2r_1d(bins, logs, cepstrum, FFTW_REDFT00, FFTW_ESTIMATE);
    if (!plan) throw std::runtime_error("FormantEnvelope: no transform plan");
}

FormantEnvelope::~FormantEnvelope() {
    {
        const std::lock_guard lock(fftwPlannerLock());
        if (plan) fftwf_destroy_plan(static_cast<fftwf_plan>(plan));
    }
    fftwf_free(logs);
    fftwf_free(cepstrum);
}

// The log spectrum's low quefrencies: the DCT-I there and back, the edge a half cosine.
void FormantEnvelope::smooth(const float* from, float* to) {
    auto* p = static_cast<fftwf_plan>(plan);
    fftwf_execute_r2r(p, const_cast<float*>(from), cepstrum); // FFTW does not write its input here
    const float scale = 1.0f / (2.0f * static_cast<float>(bins - 1));
    for (int q = 0; q < bins; ++q)
        cepstrum[q] *= q < 2 * cutoff ? lifter[static_cast<std::size_t>(q)] * scale : 0.0f;
    fftwf_execute_r2r(p, cepstrum, to);
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
        logs[m] = v;
    }
    for (int round = 0; round < kRounds; ++round) {
        smooth(logs, envelope.data());
        for (int m = 0; m < bins; ++m)
            logs[m] = std::max(logs[m], envelope[static_cast<std::size_t>(m)]);
    }
    smooth(logs, envelope.data());
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
