#include "audio/FormatCapacity.h"

#include <cstdio>
#include <limits>

#include "audio/AiffFile.h"
#include "audio/WaveFile.h"

namespace Audio {

u64 largestAudioBytes(FileType type) {
    // The outermost size field counts the header after it as well as the frames.
    const u64 headerAfterSize =
        type == AiffType ? CAiffFile::headerBytes - 8 : CWaveFile::headerBytes - 8;
    return std::numeric_limits<u32>::max() - headerAfterSize;
}

std::string sizeBeyondFormat(FileType type, const AudioFormat& format, u64 frames) {
    const u64 largest = largestAudioBytes(type);
    const u64 perFrame = format.bytesPerFrame;
    if (perFrame == 0 || frames <= largest / perFrame) return {};
    const long double bytes = static_cast<long double>(frames) * perFrame;
    char text[256];
    std::snprintf(text, sizeof text,
                  "the result needs %.0Lf bytes (%.2Lf GiB) of sound, more than the %llu bytes "
                  "(4 GiB) that a%s file can hold",
                  bytes, bytes / (1024.0L * 1024.0L * 1024.0L),
                  static_cast<unsigned long long>(largest), type == AiffType ? "n AIFF" : " WAV");
    return text;
}

} // namespace Audio
