#pragma once
// Finds the onsets of clicks and hits in the source as it arrives: the energy of the first
// difference (a cheap high-pass) in blocks of 64 frames, summed over the channels, against the
// mean of the blocks of the 46 ms before. An onset's position is the loudest frame of its block.
// Squares and sums only, so L = −R finds what L = R finds.
#include <array>
#include <cstdint>

#include "audio/ChannelLimits.h"

namespace Engine::Studio {

class OnsetDetector {
  public:
    static constexpr int kBlock = 64;
    static constexpr int kHistoryBlocks = 32;
    static constexpr int kRemembered = 16;

    explicit OnsetDetector(double sampleRate);

    // Frames [position, position + count) of every channel.
    void add(const float* const* channels, int channelCount, std::int64_t position, int count);
    // The latest onset within (from, to); false if there is none. A frame holding two hits is
    // shifted for the later one: misplacing the earlier one smears after it, where the hit
    // masks the smear; misplacing the later one would smear before it (pre-echo).
    bool latest(std::int64_t from, std::int64_t to, std::int64_t& onset) const;
    void reset();

  private:
    void closeBlock();

    double floor;   // below this a block is silence
    int refractory; // frames between two onsets at least
    std::array<float, Audio::kMaxEngineChannels> previous{};
    std::array<double, kHistoryBlocks> history{};
    int historyNext = 0;
    double energy = 0.0, loudest = -1.0;
    std::int64_t loudestAt = 0;
    int filled = 0;
    std::array<std::int64_t, kRemembered> onsets{};
    int onsetCount = 0, onsetNext = 0;
};

} // namespace Engine::Studio
