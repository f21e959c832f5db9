#pragma once
// Small WAV files for the playback tests, and their samples as the cache decodes them.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioFileCache.h"
#include "audio/AudioFileOpener.h"

namespace PlaybackFiles {

using Channels = std::vector<std::vector<float>>;

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

// A 16-bit WAV file: every value above is a multiple of 2^-12, so it comes back unchanged.
inline void writeWav(const std::string& path, const Channels& data, Audio::u32 rate = 44100) {
    const auto channels = static_cast<Audio::u32>(data.size());
    const Audio::AudioFormat format{channels, rate, 16, 2 * channels, 2 * channels * rate};
    auto file = Audio::createAudioFile(path, Audio::WavType);
    file->open(Audio::Write, &format);
    std::vector<float*> pointers;
    for (const auto& c : data)
        pointers.push_back(const_cast<float*>(c.data()));
    Audio::u32 written = 0;
    file->write(pointers.data(), static_cast<Audio::u32>(data[0].size()), &written);
    file->close();
}

inline std::unique_ptr<Audio::CAudioFileCache> openCache(const std::string& path) {
    return std::make_unique<Audio::CAudioFileCache>(Audio::openSourceFile(path).release(), 8, 4096);
}

} // namespace PlaybackFiles
