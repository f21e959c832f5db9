#include "editor/FileInfoLine.h"

#include <cstdio>

#include "audio/ChannelLayout.h"
#include "audio/PlayTime.h"

namespace Editor {

using namespace Audio;

namespace {

std::string channelPart(u32 channels, bool split) {
    const SplitLayout* layout = split ? splitLayoutOf(channels) : nullptr;
    return std::string(", ") + (layout ? layout->name : singleFileLayoutName(channels)) + " - ";
}

} // namespace

std::string durationText(u64 frames, u32 rate) {
    return playTimeText(frames, rate, '.');
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
           (formatOf(type) ? formatOf(type)->shortName : "PCM Wave") + "        " +
           durationText(frames, format.sampleRate) + tail;
}

} // namespace Editor
