#include "engine/ComplexFft.h"

#include <fftw3.h>
#include <stdexcept>
#include <vector>

#include "engine/FftwPlanner.h"

namespace Engine {

namespace {
void* makePlan(int n, int sign) {
    std::vector<float> probe(4 * static_cast<std::size_t>(n) + kAlignmentSlack);
    auto* in = reinterpret_cast<fftwf_complex*>(simdAligned(probe.data()));
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    fftwf_plan plan = fftwf_plan_dft_1d(n, in, in + n, sign, FFTW_ESTIMATE);
    if (!plan) throw std::runtime_error("CComplexFft: FFTW could not plan the transform");
    return plan;
}

void run(void* plan, const float* in, float* out) {
    // FFTW's interface takes a non-const input; out-of-place complex plans leave it intact.
    auto* from = reinterpret_cast<fftwf_complex*>(const_cast<float*>(in));
    fftwf_execute_dft(static_cast<fftwf_plan>(plan), from, reinterpret_cast<fftwf_complex*>(out));
}
} // namespace

CComplexFft::CComplexFft(int size)
    : n(size), forwardPlan(makePlan(size, FFTW_FORWARD)),
      inversePlan(makePlan(size, FFTW_BACKWARD)) {
}

CComplexFft::~CComplexFft() {
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    fftwf_destroy_plan(static_cast<fftwf_plan>(forwardPlan));
    fftwf_destroy_plan(static_cast<fftwf_plan>(inversePlan));
}

void CComplexFft::forward(const float* in, float* out) const {
    run(forwardPlan, in, out);
}

void CComplexFft::inverse(const float* in, float* out) const {
    run(inversePlan, in, out);
}

} // namespace Engine
