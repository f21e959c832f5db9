#pragma once
// Polyphase windowed-sinc resampler: 24 taps, 500 phases, Kaiser window (beta 5.652158),
// zero crossings every 500 table positions (the input Nyquist frequency).
#include <cstdint>

namespace Engine {

inline constexpr int kResamplerPhases = 500;
inline constexpr int kResamplerTaps = 24;
inline constexpr int kResamplerHistory = kResamplerTaps - 1;
inline constexpr std::int32_t kResamplerTableMarker = 12071;
inline constexpr int kResamplerMaxInput = 1024; // 512k values per call

// One channel's resampler, stored inside the engine state (zero-filled before first use).
struct ResamplerRecord {
    std::int32_t built;
    std::int32_t phases;
    std::int32_t taps;
    std::int32_t tableMarker;
    double step[2]; // the pitch ratio of the latest call, twice
    std::int32_t reserved;
    // The same position in exact-pitch mode, in input frames: in [0, ratio) between calls.
    double fraction;
    float history[kResamplerHistory]; // oldest first
    // One call's input followed by the history, newest first, so that every output reads
    // its taps from one contiguous run in the order of the table's columns, instead of the
    // history being shifted per input value.
    float line[kResamplerHistory + kResamplerMaxInput];
    float table[kResamplerPhases][kResamplerTaps];
};

class CResampler {
  public:
    // Builds the coefficient table unless the record already has it.
    static void prepare(ResamplerRecord& record);
    static void buildTable(float (&table)[kResamplerPhases][kResamplerTaps]);

    // Turns inputCount values into outputCount values (outputCount = m, inputCount = 512k,
    // so the step is inputCount / outputCount input frames per output frame).
    static void process(ResamplerRecord& record, const float* in, int inputCount, float* out,
                        int outputCount);
    // Turns inputCount values into as many as fall due at `ratio` input frames per output
    // frame (at most inputCount / ratio + 1); returns their number.
    static int processExact(ResamplerRecord& record, const float* in, int inputCount, float* out,
                            double ratio);

    // Modified Bessel function I0 by its power series.
    static double besselI0(double x);
};

} // namespace Engine
