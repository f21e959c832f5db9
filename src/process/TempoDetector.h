#pragma once
// Finds the tempo of a recording from the periodicity of its onsets: the autocorrelation of the
// onset envelope, read through a comb of beat periods between 60 and 200 BPM. Of the tempos that
// fit about as well (a beat fits every whole fraction of its tempo too), the fastest is taken;
// its period is then refined from the peaks at every multiple of it, to fractions of a BPM.
#include <atomic>
#include <cstddef>
#include <vector>

#include "audio/AudioFileCache.h"
#include "audio/ChannelLimits.h"

namespace Process {

inline constexpr double kSlowestDetectedBpm = 60.0;
inline constexpr double kFastestDetectedBpm = 200.0;

struct TempoEstimate {
    double bpm = 0.0; // 0 when no steady beat was found
    // How regular the beat is: the autocorrelation at its multiples relative to the
    // envelope's energy, 0 to 1.
    double strength = 0.0;
};

TempoEstimate tempoOfOnsets(const std::vector<float>& onsets, double hopSeconds);
TempoEstimate detectTempo(const float* mono, std::size_t frames, double sampleRate);
// Reads at most the first `maxSeconds` of the source, mixed to mono. `abort` (optional) stops
// the reading early; the result is then what the part read gives.
TempoEstimate detectTempo(Audio::CAudioFileCache& source, double maxSeconds = 120.0,
                          const std::atomic<bool>* abort = nullptr);

} // namespace Process
