#pragma once
// Band-pass of one band segment: overlapping sub-frames of 2048k samples are sine-transformed,
// cut to the band with linear ramps at its edges, transformed back and overlap-added.
#include "engine/kalo2/EngineState.h"
#include "engine/kalo2/RateTables.h"

namespace Engine {

// Which filtered values are read afterwards: the first 1024k (the splice), those from the
// segment length on (carried into the next call), and every decimation-th value in between
// (the period search, from decimation - 1 on; none with a decimation of 0). The rest is
// overwritten by the next call's input.
//
// With a decimation of 0 and searchSpectra, the sub-frames only the search reads are not
// transformed back but their band spectra added to searchSpectra (2048k values for each
// sub-frame from the second on), and every value of the segment holds the other sub-frames'
// part of it: the search then transforms back the sum over the channels once for all of them
// (see addSearchFrames).
struct FilterUse {
    int segmentLength;
    int decimation;
    float* searchSpectra = nullptr;
};

class CBandFilter {
  public:
    // Filters segment[0..max(analysisLength, 2048k)) and writes the first analysisLength
    // band-passed values back over it; values not named by use may be left incomplete or stale.
    // low and high are coefficient indices.
    static void filter(float* segment, int analysisLength, int low, int high, int rampDivisor,
                       const FilterUse& use, const CRateTables& tables, float* carry,
                       FilterWork& work);

    // Adds gain times the sub-frames summed into use.searchSpectra, transformed back and
    // weighted as filter() would have, to mix[0..analysisLength).
    static void addSearchFrames(const FilterUse& use, int analysisLength, int high, float gain,
                                const CRateTables& tables, float* mix, FilterWork& work);
    // How many sub-frames a search reads alone; use.searchSpectra holds that many spectra.
    static int searchOnlyFrames(int analysisLength, int segmentLength, const CRateTables& tables);

    // Cuts a spectrum of size values to the band [low, high) with ramps of (edge /
    // rampDivisor) coefficients below each edge; adjacent bands get complementary ramps.
    // Values from high on are left as they are where a sine transform of the first high
    // values does not read them.
    static void limitSpectrum(float* spectrum, int size, int low, int high, int rampDivisor);

  private:
    // Where a sub-frame lies: the first (nothing overlaps its first half), the only one (not
    // weighted at all), and whether its second half is read afterwards.
    struct Placement {
        bool first;
        bool plain;
        bool carried;
    };
    static void overlapAdd(const float* filtered, const float* window, int hop, Placement at,
                           float* carry, float* out);
    static void addSparseFrame(const float* spectrum, int end, const SearchSines& sines,
                               const float* window, int hop, float* carry, float* out,
                               float* points);
    static void addSearchPoints(const float* spectrum, int end, const SearchSines& sines,
                                const float* window, float* accumulator, float* points);
};

} // namespace Engine
