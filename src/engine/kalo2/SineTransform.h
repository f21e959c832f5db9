#pragma once
// Discrete sine transform of type I over M points (M a power of two):
//   X[q] = sum_{i=1}^{M-1} x[i] * sin(pi * i * q / M),  q = 1..M-1,  X[0] = 0, x[0] ignored.
// Unnormalised, so applying it twice multiplies by M / 2.
//
// Computed with one real FFT of size M on a pre-folded sequence (the odd/even split of
// the sine kernel), which is exact up to rounding and a quarter of the work of
// transforming the odd extension of length 2M. The real FFT is a complex one of size M / 2
// followed by its own split, so that only the spectrum values wanted are formed.
#include <vector>

#include "engine/FftwPlanner.h"

namespace Engine {

class CSineTransform {
  public:
    explicit CSineTransform(int points);
    ~CSineTransform();
    CSineTransform(const CSineTransform&) = delete;
    CSineTransform& operator=(const CSineTransform&) = delete;

    int size() const { return m; }
    // Floats of scratch space apply() needs.
    static constexpr int scratchSize(int points) { return 2 * points + 2 + kAlignmentSlack; }

    // x and X hold size() values and must not overlap; scratch holds scratchSize(size()).
    // Transforms x times scale; a power-of-two scale gives exactly the transform of the
    // scaled values. When x is zero from `inputs` on, those values are not folded in; when
    // only X[0..outputs) is wanted, the rest of X may be left as it was. Either way the
    // values computed are the same as without them. Thread-safe, allocates nothing.
    void apply(const float* x, float* X, float* scratch, float scale = 1.0f, int inputs = 1 << 30,
               int outputs = 1 << 30) const;

  private:
    int m;
    std::vector<float> fold;    // sin(pi * j / M)
    std::vector<float> twiddle; // exp(-2 pi i k / M), k < M / 2, as (re, im) pairs
    void* plan;
    bool useAvx2 = false;       // for the outputs after the real transform
    bool symmetricFold = false; // fold[j] == fold[M - j]: both folded alike in one pass
};

} // namespace Engine
