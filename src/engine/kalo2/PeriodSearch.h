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

    // Exact-pitch mode. Near its minimum the difference function is a V (each term is the
    // magnitude of a difference that passes through zero there), not a parabola: the lag of
    // the V's tip through A[b - 1], A[b] and A[b + 1].
    static double vertex(const float* a, int b);

    // The period in frames from the decimated search's A[0..lags] (of the points
    // full[t * decimation + decimation - 1]) and the undecimated mix, as an undecimated search
    // would choose it: the deepest minimum at whole lags, so the multiple of the period that
    // lies nearest to a whole number of frames. Every minimum of A that could hide a deeper one
    // between its decimated lags is placed to the frame, and the deepest taken. full holds
    // lags * decimation + maxLag + 1 values.
    static double exactPeriod(const float* full, const float* a, int decimation, int lags,
                              int maxLag);

  private:
    // A minimum found on the decimated mix, placed to the frame: the difference function of
    // the undecimated mix `full` at whole lags in [low, high] near `estimate`, summed over the
    // decimated search's points only (the band lies below their rate, so they represent it);
    // full must hold points * decimation + high + 1 values. Returns the lag of the minimum,
    // its depth and the steeper of its two steps to the neighbours.
    struct Refined {
        int lag;
        float depth;
        float slope;
    };
    static Refined refineAround(const float* full, int decimation, int points, double estimate,
                                int low, int high);
    static int fineFallingFrom(const float* full, int decimation, int points, int lags);
    static double tipOfWholeSums(const float* full, int points, int lag, int maxLag);
};

} // namespace Engine
