#pragma once
#include "audio/Types.h"

namespace Audio {

// Sample format of an audio file. bytesPerSecond is informative only.
struct AudioFormat {
    u32 channels = 0;
    u32 sampleRate = 0;
    u32 bitsPerSample = 0;
    u32 bytesPerFrame = 0;
    u32 bytesPerSecond = 0;

    bool operator==(const AudioFormat&) const = default;
};

// Bytes one sample occupies in a file: 20-bit samples take 3 bytes.
constexpr u32 bytesPerSample(u32 bitsPerSample) {
    return (bitsPerSample + 7) / 8;
}

} // namespace Audio
