#pragma once
// Finds a period of a band's signal by an average-magnitude-difference search on a
// decimated mono mix. The period is used to jump the band's read position by whole
// periods without a phase break.

namespace Engine {

class CPeriodSearch {
  public:
    // search[j] = mean over the channels of segment[c][j * D + D - 1] (the last of each
    // group of D samples), for the samples below length. Returns the values written.
    static int mix(const float* const* segments, int channels, int length, int decimation,
                   float* search);

    // A[lag] = sum_{i<lags} |s[i] - s[i + lag]| for lag = 0..lags (one beyond the search
    // range, for the refinement). s holds 2 * lags values.
    static void difference(const float* s, int lags, float* a);

    // Deepest minimum of A[0..lags) after the smoothed function first falls; at least 1.
    static int chooseLag(const float* a, int lags);

    // Period in source frames: lag b refined by the neighbours A[b - 1] and A[b + 1].
    static double refine(const float* a, int b, int decimation);
};

} // namespace Engine
