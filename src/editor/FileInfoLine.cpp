#include "editor/FileInfoLine.h"

#include <cstdio>

namespace Editor {

using namespace Audio;

namespace {

const char* channelPart(u32 channels, bool split) {
    if (split) {
        switch (channels) {
        case 2:
            return ", Split - ";
        case 6:
            return ", Surround 5.1 - ";
        case 7:
            return ", Surround 6.1 - ";
        case 8:
            return ", Surround 7.1 - ";
        default:
            break;
        }
    }
    return channels == 1 ? ", Mono - " : ", Stereo - ";
}

} // namespace

std::string durationText(u64 frames, u32 rate) {
    if (rate == 0) return "0:00:00.000";
    const auto seconds = static_cast<u64>(static_cast<double>(frames) / rate + 0.01);
    // The nudge can round the seconds up past the frames; the remainder is then none.
    const u64 whole = seconds * rate;
    const u64 remainder = frames > whole ? frames - whole : 0;
    auto ms = static_cast<u64>(static_cast<double>(remainder) * 1000.0 / rate + 0.01);
    if (ms > 999) ms = 999;
    char text[64];
    std::snprintf(text, sizeof text, "%llu:%.2llu:%.2llu.%.3llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60),
                  static_cast<unsigned long long>(ms));
    return text;
}

std::string fileInfoLine(const AudioFormat& format, u64 frames, bool split, FileType type) {
    const double bytes =
        static_cast<double>(frames) * bytesPerSample(format.bitsPerSample) * format.channels;
    char head[96];
    std::snprintf(head, sizeof head, "%.1fkHz, %ubits", format.sampleRate * 0.001,
                  format.bitsPerSample);
    char tail[96];
    std::snprintf(tail, sizeof tail, ", %llu frames, %.1f MBytes",
                  static_cast<unsigned long long>(frames), bytes / 1048576.0);
    return std::string(head) + channelPart(format.channels, split) +
           (type == AiffType ? "AIFF" : "PCM Wave") + "        " +
           durationText(frames, format.sampleRate) + tail;
}

} // namespace Editor
