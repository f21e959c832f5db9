#pragma once
#include "audio/ChannelLimits.h"
#include <array>
#include <memory>

namespace Output {

// An owned block of float audio (full scale +-1.0), one contiguous run of frames per channel.
// Blocks are handed on by exchanging owners (AudioBlockPtr), never by copying samples.
class CAudioBlock {
  public:
    // An empty block: no storage until the first resize().
    CAudioBlock() = default;
    CAudioBlock(const CAudioBlock&) = delete;
    CAudioBlock& operator=(const CAudioBlock&) = delete;

    // Replaces the storage by a zeroed one of channels x frames samples. Throws
    // std::invalid_argument for more than Audio::kMaxBlockChannels channels or a negative size; the
    // block is unchanged then.
    void resize(int channels, int frames);

    bool ownsStorage() const { return storage != nullptr; }
    int getChannelCount() const { return channelCount; }
    int getFrameCount() const { return frameCount; }
    // Audio::kMaxBlockChannels entries; those at and beyond the channel count are null.
    float* const* getChannels() const { return channelPointers.data(); }
    float* getChannel(int channel) const { return channelPointers[channel]; }

  private:
    std::unique_ptr<float[]> storage;
    std::array<float*, Audio::kMaxBlockChannels> channelPointers{};
    int channelCount = 0;
    int frameCount = 0;
};

// The single owner of a block; moving it hands the block on.
using AudioBlockPtr = std::unique_ptr<CAudioBlock>;

} // namespace Output
