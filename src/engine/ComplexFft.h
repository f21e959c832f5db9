#pragma once
// Unnormalised out-of-place complex FFT of one power-of-two size on interleaved re/im floats.
// The plan is made once; transforming is thread-safe and allocates nothing.

namespace Engine {

class CComplexFft {
  public:
    explicit CComplexFft(int size);
    ~CComplexFft();
    CComplexFft(const CComplexFft&) = delete;
    CComplexFft& operator=(const CComplexFft&) = delete;

    int size() const { return n; }
    // Negative exponent. in and out hold size() complex values (2 * size() floats), are
    // 64-byte aligned (see simdAligned) and must not overlap: FFTW's in-place plans of these
    // sizes allocate buffers per call.
    void forward(const float* in, float* out) const;
    // Positive exponent, no 1/n.
    void inverse(const float* in, float* out) const;

  private:
    int n;
    void* forwardPlan;
    void* inversePlan;
};

} // namespace Engine
