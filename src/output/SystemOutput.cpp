#include "output/SystemOutput.h"

namespace Output {

void CSystemOutput::open(const DeviceId& id) {
    manager.Init(id);
    try {
        framesPerSegment = FRAMES_PER_SEGMENT;
        renderingBuffer.init(framesPerSegment);
    } catch (...) {
        manager.Release();
        throw;
    }
}

void CSystemOutput::setRenderer(CBufferedRenderer* renderer) {
    renderingBuffer.setRenderer(renderer);
}

void CSystemOutput::start() {
    renderingBuffer.start();
}

void CSystemOutput::stop() {
    renderingBuffer.Stop();
}

void CSystemOutput::close() {
    renderingBuffer.releaseBuffer();
    manager.Release();
}

Audio::i64 CSystemOutput::getFramesPlayed() {
    return renderingBuffer.getFramesDelivered() - renderingBuffer.getCurrentPlayPosition();
}

void CSystemOutput::setLiveBuffering(bool live) {
    const int frames = live ? LIVE_FRAMES_PER_SEGMENT : FRAMES_PER_SEGMENT;
    if (frames == framesPerSegment) return;
    renderingBuffer.releaseBuffer();
    renderingBuffer.init(frames);
    framesPerSegment = frames;
}

int CSystemOutput::getOutputLatency() const {
    const auto* device = manager.getDevice();
    return 2 * framesPerSegment + (device ? device->getLatencyFrames() : 0);
}

int CSystemOutput::getOutputChannels() const {
    return manager.getPrimaryFormat().channels;
}

double CSystemOutput::getSampleRate() const {
    return manager.getPrimaryFormat().samplesPerSec;
}

} // namespace Output
