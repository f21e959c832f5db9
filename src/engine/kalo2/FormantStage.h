#pragma once
// Short-time spectral stage (frame 2048k, hop 512k). Each frame is Hann-windowed, its
// spectral envelope optionally moved by the formant ratio, end-tapered and overlap-added.
// Every value leaves the stage exactly four hops after it entered.
#include <cstdint>

#include "engine/FftwPlanner.h"
#include "engine/kalo2/RateTables.h"

namespace Engine {

inline constexpr int kFormantMaxFrame = 4096;

// One channel's stage, stored inside the engine state (zero-filled before first use).
struct FormantRecord {
    std::uint32_t tag;  // kFormantTag once initialised
    std::int32_t state; // 0 fresh, 1 initialised, 2 at least one frame processed
    std::int32_t writeIndex;
    std::int32_t reserved;
    float input[kFormantMaxFrame];
    float output[kFormantMaxFrame];
    float frame[kFormantMaxFrame];
    // Complex, interleaved; used from their first 64-byte aligned element.
    float work[2 * kFormantMaxFrame + kAlignmentSlack];
    float spectrum[2 * kFormantMaxFrame + kAlignmentSlack]; // the transforms' other side
    float envelope[kFormantMaxFrame / 2 + 1];
    float shifted[kFormantMaxFrame / 2 + 1];
};

inline constexpr std::uint32_t kFormantTag = 0x66636f72; // 'fcor'

class CFormantStage {
  public:
    // Runs 512k values through the stage; out receives 512k values. in and out may be the
    // same array.
    static void process(FormantRecord& record, const CRateTables& tables, const float* in,
                        float* out, double formantRatio);

    // Multiplies every frequency of the frame's spectral envelope by formantRatio.
    static void correctSpectrum(FormantRecord& record, const CRateTables& tables,
                                double formantRatio);

    // Linear-interpolation resize: dst[i] ~ src[i * span / count] for i < count.
    static void resize(const float* src, float* dst, int span, int count);

    // Multiplies the first and last ramp values by a linear ramp.
    static void taper(float* data, int n, int ramp);

  private:
    static void processFrame(FormantRecord& record, const CRateTables& tables, double formantRatio);
    static void computeEnvelope(FormantRecord& record, const CRateTables& tables);
};

} // namespace Engine
