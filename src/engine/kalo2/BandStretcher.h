#pragma once
// Time-stretches one frequency band in the time domain: the band's read position advances
// by a fixed hop per call and, once it has drifted from where the stretch factor puts it,
// jumps by whole periods of the band's own signal.
#include "engine/kalo2/BandFilter.h"
#include "engine/kalo2/EngineParameters.h"
#include "engine/kalo2/EngineState.h"
#include "engine/kalo2/RateTables.h"

namespace Engine {

struct BandSetup {
    int slot;
    double lowHz;
    double highHz;
    int decimation; // of the period search
};

class CBandStretcher {
  public:
    // The bands of one call in processing order (band i of the five-band split lives in
    // slot 4 - i). Returns their number.
    static int bandsFor(const EngineParameters& p, BandSetup (&bands)[kBandSlots]);

    // Filters the slot's segments of every channel, searches the period and moves the
    // slot's position for the next call.
    static void process(EngineState& s, const CRateTables& tables, const EngineParameters& p,
                        const BandSetup& band, int channels);

    // Whole-period jump that brings a band back towards its ideal position, 0 while the
    // drift stays within 150k frames.
    static int driftJump(double idealPosition, int relativePosition, double period, int k);
    // The same in exact-pitch mode: the jump is rounded to whole frames and what rounding
    // leaves over is carried into the next jump, so that the jumps add up to whole periods
    // and leave the band's pitch where it was.
    static int exactDriftJump(double idealPosition, int relativePosition, double period, int k,
                              double& remainder);

  private:
    static void filterChannels(EngineState& s, const CRateTables& tables, const EngineParameters& p,
                               const BandSetup& band, int channels, const FilterUse& use);
    static double findPeriod(EngineState& s, const BandSetup& band, int channels);
    static double findExactPeriod(EngineState& s, const CRateTables& tables, const BandSetup& band,
                                  int channels, const FilterUse& use);
    static void processExact(EngineState& s, const CRateTables& tables, const EngineParameters& p,
                             const BandSetup& band, int channels);
};

} // namespace Engine
