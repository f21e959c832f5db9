#include "output/IndependentAudioHost.h"

#include <stdexcept>

#include "output/OutputBackendFactory.h"
#include "output/ProOutput.h"

namespace Output {

CIndependentAudioHost::CIndependentAudioHost(ASIO::CDriverSource& drivers_) : drivers(drivers_) {
}

CIndependentAudioHost::~CIndependentAudioHost() {
    try {
        if (initialized) release();
    } catch (...) {
        // Nothing to tell at destruction; the devices are closed by their own destructors.
    }
}

void CIndependentAudioHost::setRenderer(CBufferedRenderer* renderer_) {
    if (backend) backend->setRenderer(renderer_);
    renderer = renderer_;
}

void CIndependentAudioHost::init(const DeviceDescriptor& descriptor) {
    device = descriptor;
    backend = makeOutputBackend(descriptor.type, drivers);
    backend->open(descriptor.id);
    backend->setRenderer(renderer);
    outputChannels = backend->getOutputChannels();
    sampleRate = backend->getSampleRate();
    framesPerBuffer = backend->getFramesPerBuffer();
    initialized = true;
}

void CIndependentAudioHost::start() {
    if (started) throw std::logic_error("CIndependentAudioHost::start: audio already started!");
    if (!backend) throw std::logic_error("CIndependentAudioHost::start: no device opened!");
    backend->start();
    started = true;
}

void CIndependentAudioHost::stop() {
    if (!started) throw std::logic_error("CIndependentAudioHost::stop: audio already stopped!");
    started = false;
    backend->stop();
}

void CIndependentAudioHost::release() {
    if (!initialized)
        throw std::logic_error(
            "CIndependentAudioHost::release: cannot release more often than init!");
    if (started) stop();
    initialized = false;
    backend->close();
    outputChannels = 0;
    sampleRate = 0.0;
}

void CIndependentAudioHost::setLiveBuffering(bool live) {
    if (started) throw std::logic_error("CIndependentAudioHost::setLiveBuffering: stop first!");
    if (!backend) return;
    backend->setLiveBuffering(live);
    framesPerBuffer = backend->getFramesPerBuffer();
}

int CIndependentAudioHost::getOutputLatency() const {
    return initialized ? backend->getOutputLatency() : 0;
}

Audio::i64 CIndependentAudioHost::getFramesPlayed() {
    if (!started) return 0;
    return backend->getFramesPlayed();
}

bool CIndependentAudioHost::isDeviceLost() const {
    return initialized && backend->isDeviceLost();
}

ASIO::CASIO& CIndependentAudioHost::getAsio() {
    auto* pro = dynamic_cast<CProOutput*>(backend.get());
    if (!pro) throw std::logic_error("CIndependentAudioHost::getAsio: no pro device given!");
    return pro->getAsio();
}

} // namespace Output
