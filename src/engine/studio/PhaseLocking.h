#pragma once
// Phase propagation with identity phase locking (after Laroche and Dolson): the spectrum's peaks
// carry the phase advance their own frequency asks for, and every bin of a peak's region turns
// with its peak, so the partials keep their shape across the bins.
//
// The state is a rotation per bin, applied to every channel alike: channel c's output phase is
// its analysis phase plus the rotation. The rotation grows by the estimated frequency times the
// difference of the synthesis and analysis hops, so L = R stays identical and L = −R exactly
// negated. The frequency of a peak comes from the channels' summed cross-spectrum between two
// frames, which weights each channel by its power.
#include <complex>
#include <vector>

namespace Engine::Studio {

class PhaseLocking {
  public:
    explicit PhaseLocking(int bins);

    // power: Σ|X_c|², cross: Σ X_c conj(X_c of the frame `measureHop` earlier); `stretchHop`:
    // synthesis hop minus analysis hop, by which the rotation moves. Allocates nothing.
    void advance(const float* power, const std::complex<float>* cross, double measureHop,
                 double stretchHop);
    // The rotation per bin, in radians within [−π, π).
    const double* rotation() const { return theta.data(); }
    double* rotation() { return theta.data(); }
    void reset();

  private:
    void findPeaks(const float* power);

    int bins;
    std::vector<double> theta;
    std::vector<int> peaks;
    int peakCount = 0;
};

// The angle wrapped into [−π, π).
double principal(double angle);

} // namespace Engine::Studio
