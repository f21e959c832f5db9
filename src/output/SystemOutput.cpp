#include "output/SystemOutput.h"

namespace Output {

void CSystemOutput::open(const DeviceId& id) {
    manager.Init(id);
    try {
        renderingBuffer.init(FRAMES_PER_SEGMENT);
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

int CSystemOutput::getOutputChannels() const {
    return manager.getPrimaryFormat().channels;
}

double CSystemOutput::getSampleRate() const {
    return manager.getPrimaryFormat().samplesPerSec;
}

} // namespace Output
