#pragma once
// Small WAV files for the playback tests, and their samples as the cache decodes them.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioFileCache.h"
#include "audio/AudioFileOpener.h"
#include "support/AudioFiles.h"

namespace PlaybackFiles {

using TestSupport::Channels;

// Channel c, frame i: a value that is never 0 and tells channel and frame apart.
inline float sample(std::size_t c, std::size_t i) {
    return static_cast<float>(static_cast<int>((i * 7 + c * 131) % 2000) + 1 + 100 * c) / 4096.0f;
}

inline Channels signal(std::size_t channels, std::size_t frames) {
    Channels data(channels, std::vector<float>(frames));
    for (std::size_t c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < frames; ++i)
            data[c][i] = sample(c, i);
    return data;
}

// Written as 16-bit WAV: every value above is a multiple of 2^-12, so it comes back unchanged.
using TestSupport::writeWav;

inline std::unique_ptr<Audio::CAudioFileCache> openCache(const std::string& path) {
    return std::make_unique<Audio::CAudioFileCache>(Audio::openSourceFile(path), 8, 4096);
}

} // namespace PlaybackFiles
