#include "output/PlaybackVoice.h"

#include <algorithm>
#include <cstring>

#include "output/FileVoiceSource.h"
#include "output/MixRenderer.h"

namespace Output {

CPlaybackVoice::CPlaybackVoice(CMixRenderer& mixer_, std::shared_ptr<CVoiceSource> source_,
                               std::string displayName_, CPlaybackListener* listener_,
                               Audio::i32 listenerValue_)
    : mixer(mixer_), source(std::move(source_)), listener(listener_), listenerValue(listenerValue_),
      displayName(std::move(displayName_)) {
    if (Audio::CAudioFileCache* file = source->getFile()) fileUser.emplace(*file);
    setSampleRate(mixer.getSampleRate());
    mixer.postCommand(CMixRenderer::VoiceCreated, this);
}

CPlaybackVoice::CPlaybackVoice(CMixRenderer& mixer_, std::unique_ptr<Audio::CAudioPlayback> reader,
                               std::string displayName_, CPlaybackListener* listener_,
                               Audio::i32 listenerValue_)
    : CPlaybackVoice(mixer_, std::make_shared<CFileVoiceSource>(std::move(reader)),
                     std::move(displayName_), listener_, listenerValue_) {
}

CPlaybackVoice::~CPlaybackVoice() {
    // Waits for a render of this voice that is still running.
    std::lock_guard lock(voiceLock);
}

void CPlaybackVoice::setSampleRate(float rate) {
    CAudioRenderer::setSampleRate(rate);
    source->setOutputRate(rate);
}

void CPlaybackVoice::start() {
    source->start();
    active = true;
    mixer.postCommand(CMixRenderer::VoiceStarted, this);
}

void CPlaybackVoice::stop() {
    std::lock_guard lock(voiceLock);
    stopLocked();
}

// The source's state belongs to the render that may be running: hold the voice lock.
void CPlaybackVoice::stopLocked() {
    source->stop();
    active = false;
    mixer.postCommand(CMixRenderer::VoiceStopped, this);
}

void CPlaybackVoice::notifyStarted(Audio::i64 mixerFrame) {
    startFrame = mixerFrame;
    if (listener) listener->started(listenerValue, mixerFrame);
}

void CPlaybackVoice::notifyPosition() {
    if (listener)
        listener->position(listenerValue,
                           startFrame + static_cast<Audio::i64>(source->getDelivered()));
}

void CPlaybackVoice::render(int, float* const* channels, int channelCount, int frameCount) {
    std::lock_guard lock(voiceLock);
    if (!active) {
        for (int c = 0; c < channelCount; ++c)
            std::fill(channels[c], channels[c] + frameCount, 0.0f);
        return;
    }
    source->process(const_cast<float**>(channels), static_cast<Audio::u32>(channelCount),
                    static_cast<Audio::u32>(frameCount));
    copyChannels(channels, channelCount, frameCount);
    if (!source->isActive()) {
        stopLocked();
        return;
    }
    notifyPosition();
}

// Output channel k beyond the file's K channels repeats file channel (k - K) mod K: a mono
// file sounds on both sides of a stereo output.
void CPlaybackVoice::copyChannels(float* const* channels, int channelCount, int frameCount) const {
    const int fileChannels = source->getChannelCount();
    if (fileChannels <= 0) return;
    for (int k = fileChannels; k < channelCount; ++k)
        std::memcpy(channels[k], channels[(k - fileChannels) % fileChannels],
                    static_cast<std::size_t>(frameCount) * sizeof(float));
}

} // namespace Output
