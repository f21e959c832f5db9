#include "audio/PlayTime.h"

#include <cstdio>

namespace Audio {

std::string playTimeText(u64 frames, u32 sampleRate, char separator) {
    if (sampleRate == 0) return std::string("0:00:00") + separator + "000";
    const auto seconds = static_cast<u64>(static_cast<double>(frames) / sampleRate + 0.01);
    // The nudge can round the seconds up past the frames; the remainder is then none.
    const u64 whole = seconds * sampleRate;
    const u64 remainder = frames > whole ? frames - whole : 0;
    auto ms = static_cast<u64>(static_cast<double>(remainder) * 1000.0 / sampleRate + 0.01);
    if (ms > 999) ms = 999;
    char text[64];
    std::snprintf(text, sizeof text, "%llu:%.2llu:%.2llu%c%.3llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60), separator,
                  static_cast<unsigned long long>(ms));
    return text;
}

} // namespace Audio
