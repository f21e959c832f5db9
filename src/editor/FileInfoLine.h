#pragma once
// The wave editor's line about its file: rate, bits, channels, type, duration, frames, size.
#include <string>

#include "audio/AudioFormat.h"
#include "audio/FileFormats.h"

namespace Editor {

// "44.1kHz, 16bits, Stereo - PCM Wave        0:03:25.500, 9061650 frames, 34.6 MBytes".
// A split set names its layout by channel count (Split, Surround 5.1, 6.1, 7.1); the type is
// named as the table of formats says ("PCM Wave", "AIFF", "FLAC", ...).
std::string fileInfoLine(const Audio::AudioFormat& format, Audio::u64 frames, bool split,
                         Audio::FileType type);

// "h:mm:ss.mmm" of frames at the rate, seconds and milliseconds nudged up by 0.01 before
// truncation.
std::string durationText(Audio::u64 frames, Audio::u32 sampleRate);

} // namespace Editor
