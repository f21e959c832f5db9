#pragma once
// The factors and sizes of one engine call, conditioned from what the caller passed.
#include "audio/ChannelLimits.h"
#include <cstdint>

namespace Engine {

inline constexpr int kBandSlots = 5;

struct EngineParameters {
    int rateMultiple = 1;      // k: 1 below 88.2 kHz, else 2
    int hop = 512;             // 512k: frames the stretch stage makes per call
    int quality = 3;           // 1..5 (0 taken as 3)
    double timeFactor = 1.0;   // at least 0.1
    double pitchFactor = 1.0;  // clamped to [0.25, 4]
    bool exactPitch = false;   // the ratios below are p and f themselves
    int outputFrames = 512;    // m = trunc(512k / p); in exact-pitch mode only on average
    double pitchRatio = 1.0;   // p' = 512k / m, the ratio actually applied
    double formantRatio = 1.0; // f' = 512k / trunc(512k / f)
    double stretch = 1.0;      // p' * t, the stretch stage's factor
    int bands = 5;             // 1 in quality mode 1
    int segmentLength[kBandSlots] = {};
};

// k for a sample rate. NaN and negative rates count as 44.1 kHz.
int rateMultipleFor(float sampleRate);

// m for a pitch factor at rate multiple k.
int outputFramesFor(double pitchFactor, int rateMultiple);

EngineParameters conditionParameters(double timeFactor, double pitchFactor, double formantFactor,
                                     std::int32_t qualityMode, float sampleRate,
                                     bool exactPitch = false);

// The channel count actually processed: never past the first null buffer, at most 8.
// 0 when the first buffer is null or the count is below 1.
int usableChannels(std::int32_t channelCount, float* const* channels);

} // namespace Engine
