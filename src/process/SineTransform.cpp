#include "process/SineTransform.h"

#include <cmath>
#include <fftw3.h>
#include <numbers>
#include <stdexcept>

#include "process/FftwPlanner.h"

namespace Process {

CSineTransform::CSineTransform(int points) : m(points), fold(static_cast<std::size_t>(points)) {
    for (int j = 0; j < m; ++j)
        fold[j] = static_cast<float>(std::sin(std::numbers::pi * j / m));
    std::vector<float> probe(static_cast<std::size_t>(scratchSize(m)));
    float* aligned = simdAligned(probe.data());
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    plan = fftwf_plan_dft_r2c_1d(m, aligned, reinterpret_cast<fftwf_complex*>(aligned + m),
                                 FFTW_ESTIMATE);
    if (!plan) throw std::runtime_error("CSineTransform: FFTW could not plan the transform");
}

CSineTransform::~CSineTransform() {
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    fftwf_destroy_plan(static_cast<fftwf_plan>(plan));
}

// With y[j] = sin(pi j/M)(x[j] + x[M-j]) + (x[j] - x[M-j]) / 2 and Y = DFT(y):
// the odd part of y gives the even outputs, X[2k] = -Im Y[k]; the even part gives the
// differences of neighbouring odd outputs, X[2k+1] = X[2k-1] + Re Y[k], X[1] = Re Y[0] / 2.
void CSineTransform::apply(const float* x, float* X, float* scratch) const {
    float* y = simdAligned(scratch);
    float* spectrum = y + m; // (re, im) pairs, m / 2 + 1 of them
    y[0] = 0.0f;
    for (int j = 1; j < m; ++j) {
        const float a = x[j];
        const float b = x[m - j];
        y[j] = fold[j] * (a + b) + 0.5f * (a - b);
    }
    fftwf_execute_dft_r2c(static_cast<fftwf_plan>(plan), y,
                          reinterpret_cast<fftwf_complex*>(spectrum));
    // The running sum is kept in double so that its rounding does not grow along the
    // spectrum.
    double odd = 0.5 * spectrum[0];
    X[0] = 0.0f;
    X[1] = static_cast<float>(odd);
    for (int k = 1; k < m / 2; ++k) {
        X[2 * k] = -spectrum[2 * k + 1];
        odd += spectrum[2 * k];
        X[2 * k + 1] = static_cast<float>(odd);
    }
}

} // namespace Process
