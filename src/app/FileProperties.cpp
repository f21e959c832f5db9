#include "app/FileProperties.h"

#include <cmath>
#include <cstdio>

#include "audio/PlayTime.h"

namespace App {

using namespace Audio;

std::string formatPlayTime(u64 frames, u32 rate) {
    return playTimeText(frames, rate, ':');
}

std::vector<PropertyLine> fileProperties(const CAudioFile& file, const std::string& fullPath,
                                         FileType type, bool split,
                                         std::optional<double> sourceBpm) {
    const AudioFormat& f = file.format;
    const FileFormat* known = formatOf(type);
    const char* formatName = known ? known->name : "unknown";
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
