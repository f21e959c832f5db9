#include "engine/studio/SpectralFrame.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <stdexcept>

#include <fftw3.h>

#include "engine/FftwPlanner.h"

namespace Engine::Studio {

double SpectralFrame::shape(double x) {
    if (x <= 0.0 || x >= 1.0) return 0.0;
    const double a = 2.0 * std::numbers::pi * x;
    return 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a);
}

SpectralFrame::SpectralFrame(int frameSize, int hop) : n(frameSize) {
    shapeTable = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<std::size_t>(n)));
    time = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<std::size_t>(n)));
    freq = reinterpret_cast<Complex*>(
        fftwf_malloc(sizeof(fftwf_complex) * static_cast<std::size_t>(n / 2 + 1)));
    if (!shapeTable || !time || !freq) throw std::bad_alloc();
    for (int i = 0; i < n; ++i)
        shapeTable[i] = static_cast<float>(shape(static_cast<double>(i) / n));
    // The analysis and synthesis windows overlap-add to this constant at the synthesis hop.
    double sum = 0.0;
    for (int i = 0; i < n; i += hop)
        sum += double{shapeTable[i]} * shapeTable[i];
    gain = static_cast<float>(1.0 / (n * sum));
    const std::lock_guard lock(fftwPlannerLock());
    auto* f = reinterpret_cast<fftwf_complex*>(freq);
    forwardPlan = fftwf_plan_dft_r2c_1d(n, time, f, FFTW_ESTIMATE);
    inversePlan = fftwf_plan_dft_c2r_1d(n, f, time, FFTW_ESTIMATE);
    if (!forwardPlan || !inversePlan) throw std::runtime_error("SpectralFrame: no FFT plan");
}

SpectralFrame::~SpectralFrame() {
    {
        const std::lock_guard lock(fftwPlannerLock());
        if (forwardPlan) fftwf_destroy_plan(static_cast<fftwf_plan>(forwardPlan));
        if (inversePlan) fftwf_destroy_plan(static_cast<fftwf_plan>(inversePlan));
    }
    fftwf_free(shapeTable);
    fftwf_free(time);
    fftwf_free(freq);
}

void SpectralFrame::forward(const float* frame, Complex* spectrum) {
    const int half = n / 2;
    for (int i = 0; i < half; ++i) {
        time[i] = frame[i + half] * shapeTable[i + half];
        time[i + half] = frame[i] * shapeTable[i];
    }
    fftwf_execute_dft_r2c(static_cast<fftwf_plan>(forwardPlan), time,
                          reinterpret_cast<fftwf_complex*>(freq));
    std::copy(freq, freq + half + 1, spectrum);
}

void SpectralFrame::inverseAdd(const Complex* spectrum, float* sum) {
    const int half = n / 2;
    std::copy(spectrum, spectrum + half + 1, freq); // the transform overwrites its input
    fftwf_execute_dft_c2r(static_cast<fftwf_plan>(inversePlan),
                          reinterpret_cast<fftwf_complex*>(freq), time);
    for (int i = 0; i < half; ++i) {
        sum[i] += time[i + half] * shapeTable[i] * gain;
        sum[i + half] += time[i] * shapeTable[i + half] * gain;
    }
}

} // namespace Engine::Studio
