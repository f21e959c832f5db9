#include "JobTestFiles.h"

#include <stdexcept>

#include "audio/AudioFileOpener.h"
#include "support/CurveFrames.h"

using namespace MarkPoints;

namespace JobTest {

using namespace Audio;

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
    return TestSupport::curveOf(points);
}

} // namespace JobTest
