#include "audio/AudioFile.h"

#include <stdexcept>

namespace Audio {

FileDate CAudioFile::getDate() const {
    return file ? file->getDate() : FileDate{};
}

void CAudioFile::seek(u64 frame) {
    position = frame;
    file->seek(static_cast<i64>(frame * format.bytesPerFrame + dataOffset), Begin);
}

void CAudioFile::copyStateTo(CAudioFile& other) const {
    other.format = format;
    other.frames = frames;
    other.dataOffset = dataOffset;
    other.mode = NotOpen;
    other.position = 0;
}

void validateSampleRate(const CAudioFile* file) {
    if (!file) return;
    if (file->format.sampleRate > 96000)
        throw std::runtime_error(
            "file is not valid! the highest supported sample rate is 96000 Hz!");
    if (file->format.sampleRate < 8000)
        throw std::runtime_error("file is not valid! the lowest supported sample rate is 8000 Hz!");
}

} // namespace Audio
