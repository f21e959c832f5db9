#pragma once
// One frame in and out of the frequency domain: a Blackman window (sidelobes 58 dB down, so a
// partial barely reaches the region of its neighbour), a real FFT whose phases refer to
// the frame's centre (the frame is rotated by half its length first), and the way back with the
// synthesis window and the overlap-add gain folded in.
#include <complex>

namespace Engine::Studio {

using Complex = std::complex<float>;

class SpectralFrame {
  public:
    SpectralFrame(int frameSize, int hop);
    ~SpectralFrame();
    SpectralFrame(const SpectralFrame&) = delete;
    SpectralFrame& operator=(const SpectralFrame&) = delete;

    // frame[0..size) → spectrum[0..size/2]; allocates nothing.
    void forward(const float* frame, Complex* spectrum);
    // spectrum[0..size/2] → windowed samples added to sum[0..size). The spectrum is kept.
    void inverseAdd(const Complex* spectrum, float* sum);
    const float* window() const { return shapeTable; }
    // The window's shape at x in [0, 1] (0 outside), for evaluating it between samples.
    static double shape(double x);
    int size() const { return n; }

  private:
    int n;
    float* shapeTable = nullptr; // analysis and synthesis window
    float* time = nullptr;       // FFTW's real side
    Complex* freq = nullptr;     // FFTW's complex side
    float gain = 1.0f;           // 1 / (n × sum of window² over the hops)
    void* forwardPlan = nullptr;
    void* inversePlan = nullptr;
};

} // namespace Engine::Studio
