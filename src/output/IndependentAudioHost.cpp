#include "output/IndependentAudioHost.h"

#include <stdexcept>

namespace Output {

namespace {
constexpr int DIRECTSOUND_SEGMENT_FRAMES = 17640;
}

CIndependentAudioHost::CIndependentAudioHost(ASIO::CDriverSource& drivers) : asio(drivers) {
}

CIndependentAudioHost::~CIndependentAudioHost() {
    try {
        if (initialized) release();
    } catch (...) {
        // Nothing to tell at destruction; the devices are closed by their own destructors.
    }
}

void CIndependentAudioHost::setRenderer(CBufferedRenderer* renderer_) {
    if (device.type == AsioDevice) asio.setRenderer(renderer_);
    renderer = renderer_;
}

void CIndependentAudioHost::init(const DeviceDescriptor& descriptor) {
    device = descriptor;
    switch (descriptor.type) {
    case NotDefined:
        throw std::runtime_error("CIndependentAudioHost::init: not defined AudioDevice Type!");
    case DirectSoundDevice:
        initDirectSound();
        break;
    case AsioDevice:
        initAsio();
        break;
    default:
        throw std::runtime_error("CIndependentAudioHost::init: not supported AudioDevice Type!");
    }
    initialized = true;
}

void CIndependentAudioHost::initDirectSound() {
    framesPerBuffer = DIRECTSOUND_SEGMENT_FRAMES;
    manager.Init(device.id);
    try {
        renderingBuffer.init(DIRECTSOUND_SEGMENT_FRAMES);
    } catch (...) {
        manager.Release();
        throw;
    }
    renderingBuffer.setRenderer(renderer);
    outputChannels = manager.getPrimaryFormat().channels;
    sampleRate = manager.getPrimaryFormat().samplesPerSec;
}

void CIndependentAudioHost::initAsio() {
    asio.open(device.id, nullptr);
    asio.setRenderer(renderer);
    outputChannels = asio.getOutputCount();
    sampleRate = asio.getSampleRate();
    framesPerBuffer = static_cast<int>(asio.getPreferredSize());
}

void CIndependentAudioHost::start() {
    if (started) throw std::logic_error("CIndependentAudioHost::start: audio already started!");
    if (device.type == DirectSoundDevice)
        renderingBuffer.start();
    else
        asio.start();
    started = true;
}

void CIndependentAudioHost::stop() {
    if (!started) throw std::logic_error("CIndependentAudioHost::stop: audio already stopped!");
    started = false;
    if (device.type == DirectSoundDevice)
        renderingBuffer.Stop();
    else
        asio.stop();
}

void CIndependentAudioHost::release() {
    if (!initialized)
        throw std::logic_error(
            "CIndependentAudioHost::release: cannot release more often than init!");
    if (started) stop();
    initialized = false;
    if (device.type == DirectSoundDevice) {
        renderingBuffer.releaseBuffer();
        manager.Release();
    } else {
        asio.close();
    }
    outputChannels = 0;
    sampleRate = 0.0;
}

Audio::i64 CIndependentAudioHost::getFramesPlayed() {
    if (!started) return 0;
    if (device.type == AsioDevice) return asio.getFramesSent();
    return renderingBuffer.getFramesDelivered() - renderingBuffer.getCurrentPlayPosition();
}

bool CIndependentAudioHost::isDeviceLost() const {
    return device.type == AsioDevice && initialized && asio.resetRequested();
}

} // namespace Output
