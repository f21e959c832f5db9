#include "engine/kalo2/EngineParameters.h"

#include <cmath>

namespace Engine {

namespace {
// Clamp that also maps NaN to 1.0, so no factor can poison the positions.
double clampFactor(double value, double low, double high) {
    if (std::isnan(value)) return 1.0;
    return value < low ? low : (value > high ? high : value);
}
} // namespace

int rateMultipleFor(float sampleRate) {
    const double multiple = static_cast<double>(sampleRate) * (1.0 / 44100.0);
    return multiple >= 2.0 ? 2 : 1;
}

// Pitch factors are formed from single-precision steps (a twelfth, a hundredth of it), so an
// exact ratio such as the octave arrives a few parts in 10^8 off. Truncating 512k / p as it
// stands would then drop a whole frame (255 instead of 256 at +12 semitones). Values this close
// below a whole number count as that number; no interval of whole cents comes nearer than
// 1.7e-7 without being exact, so every other interval keeps its truncation.
int outputFramesFor(double pitchFactor, int rateMultiple) {
    constexpr double kTolerance = 6e-8;
    const double p = clampFactor(pitchFactor, 0.25, 4.0);
    const double frames = 512.0 * rateMultiple / p;
    return static_cast<int>(frames + frames * kTolerance);
}

EngineParameters conditionParameters(double timeFactor, double pitchFactor, double formantFactor,
                                     std::int32_t qualityMode, float sampleRate, bool exactPitch) {
    EngineParameters p;
    p.rateMultiple = rateMultipleFor(sampleRate);
    const int k = p.rateMultiple;
    p.hop = 512 * k;
    p.quality = qualityMode == 0 ? 3 : qualityMode;
    p.timeFactor = std::isnan(timeFactor) ? 1.0 : (timeFactor < 0.1 ? 0.1 : timeFactor);
    p.pitchFactor = clampFactor(pitchFactor, 0.25, 4.0);
    p.outputFrames = outputFramesFor(p.pitchFactor, k);
    p.exactPitch = exactPitch;
    p.pitchRatio = static_cast<double>(p.hop) / p.outputFrames;
    const int formantFrames = static_cast<int>(p.hop / clampFactor(formantFactor, 0.25, 4.0));
    p.formantRatio = static_cast<double>(p.hop) / formantFrames;
    if (exactPitch) {
        p.pitchRatio = p.pitchFactor;
        p.formantRatio = clampFactor(formantFactor, 0.25, 4.0);
    }
    p.stretch = p.pitchRatio * p.timeFactor;
    p.bands = p.quality == 1 ? 1 : kBandSlots;
    p.segmentLength[0] = (p.quality == 1 ? 2048 : 1024) * k;
    p.segmentLength[1] = 1536 * k;
    p.segmentLength[2] = 2048 * k;
    p.segmentLength[3] = 3072 * k;
    p.segmentLength[4] = 4096 * k;
    return p;
}

int usableChannels(std::int32_t channelCount, float* const* channels) {
    if (!channels || !channels[0] || channelCount < 1) return 0;
    int count = channelCount;
    for (int j = Audio::kMaxEngineChannels; j >= 2; --j)
        if (!channels[j - 1] && count >= j) count = j - 1;
    return count > Audio::kMaxEngineChannels ? Audio::kMaxEngineChannels : count;
}

} // namespace Engine
