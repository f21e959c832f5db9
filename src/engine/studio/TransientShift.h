#pragma once
// Keeps onsets sharp. While an onset lies inside the analysis window, the part of each bin that
// is new since the last quiet frame is not phase-propagated but moved as a whole: every frame
// that holds the onset shifts it by the same amount, to the onset's place in the output, so
// their overlap-add rebuilds the hit as the source had it instead of smearing it over the
// frame. What was there before the onset (a bass note under a drum hit) goes on as before.
#include <complex>
#include <vector>

namespace Engine::Studio {

class TransientShift {
  public:
    TransientShift(int frameSize, const float* window);

    // A frame without an onset: its power, smoothed over nine bins, is what "before" means.
    void quiet(const float* power);
    // A frame with an onset `offset` frames from its exact centre, `rounding` = the centre's
    // integer position minus the exact one, `ratio` = synthesis / analysis hop. theta holds the
    // propagated rotation per bin and gets the one used; rotation gets the complex factor.
    void mix(const float* power, double offset, double rounding, double ratio, double* theta,
             std::complex<float>* rotation);
    void reset();

  private:
    // Loudness of a shifted hit against a propagated partial at this ratio (1 at ratio 1).
    float shiftGain(double ratio);

    int frame;
    int bins;
    const float* window;
    std::vector<float> reference;
    double gainRatio = 1.0;
    float gain = 1.0f;
};

} // namespace Engine::Studio
