#include "output/AudioBlock.h"

#include <stdexcept>

namespace Output {

void CAudioBlock::resize(int channels, int frames) {
    if (channels < 0 || channels > Audio::kMaxBlockChannels || frames < 0)
        throw std::invalid_argument("CAudioBlock::resize() a block holds 0 to 10 channels of 0 "
                                    "or more frames!");
    const auto samples = static_cast<std::size_t>(channels) * static_cast<std::size_t>(frames);
    std::unique_ptr<float[]> fresh(new float[samples]());
    std::array<float*, Audio::kMaxBlockChannels> pointers{};
    for (int c = 0; c < channels; ++c)
        pointers[static_cast<std::size_t>(c)] =
            fresh.get() + static_cast<std::size_t>(c) * static_cast<std::size_t>(frames);
    storage.swap(fresh);
    channelPointers = pointers;
    channelCount = channels;
    frameCount = frames;
}

} // namespace Output
