#pragma once
// Gathers the engine's output of many calls before it goes to the destination file, so that
// the file is written in long runs instead of one short write per call. Memory is set aside
// once per job, never per block.
#include <cstdint>
#include <vector>

#include "audio/AudioFile.h"

namespace Process {

class COutputStage {
  public:
    // Room for `frames` frames of `channels` channels; what was held is dropped.
    void reserve(int channels, std::uint32_t frames);
    // Adds frames of every channel (from[c][0..frames)), writing out first what would overflow.
    void add(Audio::CAudioFile& destination, const float* const* from, std::uint32_t frames);
    // Writes out everything held.
    void flush(Audio::CAudioFile& destination);
    // Frames held, not yet written.
    std::uint32_t frames() const { return held; }
    // Forgets what is held without writing it.
    void clear() { held = 0; }

  private:
    std::vector<std::vector<float>> buffers;
    std::vector<float*> pointers;
    std::uint32_t capacity = 0;
    std::uint32_t held = 0;
};

} // namespace Process
