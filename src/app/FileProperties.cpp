#include "app/FileProperties.h"

#include <cmath>
#include <cstdio>

namespace App {

using namespace Audio;

std::string formatPlayTime(u64 frames, u32 rate) {
    if (rate == 0) return "0:00:00:000";
    const auto totalSeconds = static_cast<u64>(static_cast<double>(frames) / rate + 0.01);
    // The nudge can round the seconds up past the frames; the remainder is then none.
    const u64 whole = totalSeconds * rate;
    const u64 remainder = frames > whole ? frames - whole : 0;
    auto ms = static_cast<u64>(static_cast<double>(remainder) * 1000.0 / rate + 0.01);
    if (ms > 999) ms = 999;
    char text[64];
    std::snprintf(text, sizeof text, "%llu:%.2llu:%.2llu:%.3llu",
                  static_cast<unsigned long long>(totalSeconds / 3600),
                  static_cast<unsigned long long>(totalSeconds / 60 % 60),
                  static_cast<unsigned long long>(totalSeconds % 60),
                  static_cast<unsigned long long>(ms));
    return text;
}

std::vector<PropertyLine> fileProperties(const CAudioFile& file, const std::string& fullPath,
                                         FileType type, bool split,
                                         std::optional<double> sourceBpm) {
    const AudioFormat& f = file.format;
    const char* formatName = type == WavType    ? "MS RIFF Wave (PCM)"
                             : type == AiffType ? "Audio IFF"
                                                : "unknown";
    std::vector<PropertyLine> lines{
        {"Total Play Time", formatPlayTime(file.getFrames(), f.sampleRate)},
        {"Full Path", fullPath},
        {"Format", formatName},
        {"Sample Rate", std::to_string(f.sampleRate) + " Hz"},
        {"Word Length", std::to_string(f.bitsPerSample) + " bit"},
        {"Channels", std::to_string(f.channels) + " "},
        {"Split Stereo", split ? "yes" : "no"},
        {"No. of Frames", std::to_string(file.getFrames()) + " "},
    };
    if (sourceBpm) {
        char bpm[64];
        std::snprintf(bpm, sizeof bpm, "%.5f BPM", *sourceBpm);
        lines.emplace_back("Original BPM", *sourceBpm > 1.0 ? bpm : "n/a");
    }
    return lines;
}

} // namespace App
