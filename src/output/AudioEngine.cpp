#include "output/AudioEngine.h"

#include <algorithm>
#include <stdexcept>

#include "output/FileVoiceSource.h"

namespace Output {

CAudioEngine::CAudioEngine(ASIO::CDriverSource& drivers_) : drivers(drivers_), host(drivers_) {
    queue.setBlockFormat(2, 1024);
    queue.setSource(&mixer);
}

CAudioEngine::~CAudioEngine() {
    try {
        release();
    } catch (...) {
        // Closing the device failed; the members still end in order.
    }
    queue.endProducer();
}

void CAudioEngine::init(const DeviceId& deviceId) {
    CAvailSoundDevices devices(drivers);
    devices.init();
    const DeviceDescriptor* device = devices.find(deviceId);
    if (!device) return;
    host.setRenderer(&queue);
    host.init(*device);
    const int frames = std::max(host.getFramesPerBuffer(), 1);
    queue.setCapacity(std::clamp(READ_AHEAD_FRAMES / frames, 2, 30));
}

void CAudioEngine::play(Audio::CAudioFileCache* file, const std::string& displayName,
                        Audio::i32 start, Audio::i32 end, bool loop_, CPlaybackListener* listener,
                        Audio::i32 listenerValue) {
    loop = loop_;
    if (!host.isInitialized()) return;
    stop();
    // Reopens a file that was closed, under the cache's own lock.
    file->refresh();
    if (static_cast<int>(file->file->format.channels) > host.getOutputChannels())
        throw std::runtime_error("the file has too many channels to be played!");
    auto reader = std::make_unique<Audio::CAudioPlayback>(file, 1.0f);
    // Loop bounds are checked before the voice exists, so a refused range leaves nothing behind.
    reader->setLoop(start, end);
    reader->loop = loop;
    reader->useRange = true;
    useLayout(false, 0);
    startVoice(std::make_shared<CFileVoiceSource>(std::move(reader)), displayName, listener,
               listenerValue);
}

void CAudioEngine::playLive(std::shared_ptr<CVoiceSource> source, const std::string& displayName,
                            CPlaybackListener* listener, Audio::i32 listenerValue) {
    if (!host.isInitialized()) return;
    stop();
    if (source->getChannelCount() > host.getOutputChannels())
        throw std::runtime_error("the file has too many channels to be played!");
    useLayout(true, source->getHeldFrames());
    startVoice(std::move(source), displayName, listener, listenerValue);
}

// Plain play reads ahead about READ_AHEAD_FRAMES. Live play reads ahead what the allowance
// leaves once the output's buffers, the device's and the source's own are counted, but never
// fewer than two blocks, so that the producer can work on one while the output plays another.
void CAudioEngine::useLayout(bool live, int heldFrames) {
    host.setLiveBuffering(live);
    const int frames = std::max(host.getFramesPerBuffer(), 1);
    int capacity = std::clamp(READ_AHEAD_FRAMES / frames, 2, 30);
    liveLatency = 0;
    if (live) {
        const int allowance = static_cast<int>(kLiveLatencySeconds * host.getSampleRate()) -
                              host.getOutputLatency() - heldFrames;
        capacity = std::clamp(allowance / frames, 2, 30);
        liveLatency =
            static_cast<Audio::i64>(capacity) * frames + host.getOutputLatency() + heldFrames;
    }
    if (capacity != queue.getConfiguredCapacity()) queue.setCapacity(capacity);
    queue.setPrefill(live ? capacity : -1);
}

void CAudioEngine::startVoice(std::shared_ptr<CVoiceSource> source, const std::string& displayName,
                              CPlaybackListener* listener, Audio::i32 listenerValue) {
    const Audio::CAudioFileCache* file = source->getFile();
    mixer.setSampleRate(static_cast<float>(host.getSampleRate()));
    current = new CPlaybackVoice(mixer, std::move(source), displayName, listener, listenerValue);
    current->start();
    try {
        host.start();
    } catch (...) {
        dropCurrentVoice();
        throw;
    }
    playing = true;
    if (nowPlaying) nowPlaying(displayName, file);
}

// The output did not start: nothing renders, so the mixer hands the voice back at once.
void CAudioEngine::dropCurrentVoice() {
    current->stop();
    current->release();
    mixer.postCommand(CMixRenderer::Release, current);
    current = nullptr;
    mixer.stop();
}

void CAudioEngine::stop() {
    if (!host.isInitialized() || !host.isStarted() || !current) return;
    if (current->isActive()) current->stop();
    current->release();
    mixer.postCommand(CMixRenderer::Release, current);
    current = nullptr;
    playing = false;
    host.stop();
    if (nowPlaying) nowPlaying({}, nullptr);
}

void CAudioEngine::release() {
    stop();
    if (host.isStarted()) host.stop();
    if (host.isInitialized()) host.release();
}

void CAudioEngine::stopIfPlaying(const Audio::CAudioFileCache* file) {
    if (current && current->getFile() == file) stop();
}

} // namespace Output
