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
} // namespace

FormantEnvelope::FormantEnvelope(int bins_, double sampleRate)
    : bins(bins_), cutoff(std::max(8, static_cast<int>(sampleRate * 0.0015))) {
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

void FormantEnvelope::gains(const float* power, double factor, float* gain) {
    float peak = 0.0f;
    for (int m = 0; m < bins; ++m)
        peak = std::max(peak, power[m]);
    const float floor = peak * 1e-10f + 1e-30f;
    for (int m = 0; m < bins; ++m)
        logs[m] = 0.5f * std::log(std::max(power[m], floor));
    auto* p = static_cast<fftwf_plan>(plan);
    fftwf_execute_r2r(p, logs, cepstrum);
    // Lifter: the low quefrencies, with a half-cosine edge; the DCT-I pair scales by 2(bins-1).
    const float scale = 1.0f / (2.0f * static_cast<float>(bins - 1));
    for (int q = 0; q < bins; ++q) {
        const float w = q < cutoff ? 1.0f
                        : q < 2 * cutoff
                            ? 0.5f + 0.5f * std::cos(3.14159265f * (q - cutoff) / cutoff)
                            : 0.0f;
        cepstrum[q] *= w * scale;
    }
    fftwf_execute_r2r(p, cepstrum, logs); // logs now holds the smooth log envelope
    for (int m = 0; m < bins; ++m) {
        const double at = std::min(m / factor, static_cast<double>(bins - 1));
        const int i = static_cast<int>(at);
        const float frac = static_cast<float>(at - i);
        const float moved = i + 1 < bins ? logs[i] + frac * (logs[i + 1] - logs[i]) : logs[i];
        gain[m] = std::min(kMaxLift, std::exp(moved - logs[m]));
    }
}

} // namespace Engine::Studio
