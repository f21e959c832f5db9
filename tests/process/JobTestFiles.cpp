#include "JobTestFiles.h"

#include <stdexcept>

#include "audio/AudioFileOpener.h"

using namespace MarkPoints;

namespace JobTest {

using namespace Audio;

AudioFormat makeFormat(u32 channels, u32 rate, u32 bits) {
    return {channels, rate, bits, bytesPerSample(bits) * channels, 0};
}

void writeWave(const std::string& path, const AudioFormat& format, const Channels& data) {
    auto file = waveFile(path);
    file->open(Write, &format);
    std::vector<float*> pointers(data.size());
    for (std::size_t c = 0; c < data.size(); ++c)
        pointers[c] = const_cast<float*>(data[c].data());
    u32 written = 0;
    file->write(pointers.data(), static_cast<u32>(data.at(0).size()), &written);
    if (written != data.at(0).size()) throw std::runtime_error("short write to " + path);
    file->close();
}

Channels readWave(const std::string& path) {
    auto file = waveFile(path);
    file->open(Read, nullptr);
    Channels out(file->format.channels, std::vector<float>(file->getFrames()));
    std::vector<float*> pointers(out.size());
    for (std::size_t c = 0; c < out.size(); ++c)
        pointers[c] = out[c].data();
    u32 got = 0;
    file->read(pointers.data(), static_cast<u32>(file->getFrames()), &got);
    if (got != file->getFrames()) throw std::runtime_error("short read from " + path);
    file->close();
    return out;
}

u64 framesOf(const std::string& path) {
    auto file = waveFile(path);
    file->open(Read, nullptr);
    const u64 frames = file->getFrames();
    file->close();
    return frames;
}

std::unique_ptr<CAudioFileCache> openCache(const std::string& path) {
    return std::make_unique<CAudioFileCache>(waveFile(path), 10, 65536);
}

std::unique_ptr<CAudioFile> waveFile(const std::string& path) {
    return createAudioFile(path, WavType);
}

CMarkPointArray curve(std::initializer_list<CMarkPoint> points) {
    CMarkPointArray result;
    for (const CMarkPoint& point : points)
        result.insertUnique(point);
    return result;
}

} // namespace JobTest
