#include "output/MixRenderer.h"

#include <algorithm>

#include "output/PlaybackVoice.h"

namespace Output {

namespace {
constexpr std::size_t COMMAND_ROOM = 500;
constexpr std::size_t VOICE_ROOM = 50;
} // namespace

// Room enough that steady playback never grows an array on the producer thread.
CMixRenderer::CMixRenderer() {
    pending.reserve(COMMAND_ROOM);
    working.reserve(COMMAND_ROOM);
    active.reserve(VOICE_ROOM);
    owned.reserve(VOICE_ROOM);
    sampleRate = 44100.0f;
}

CMixRenderer::~CMixRenderer() = default;

void CMixRenderer::postCommand(Command type, CPlaybackVoice* voice) {
    std::lock_guard lock(postLock);
    pending.push_back({type, voice});
}

void CMixRenderer::handleCommands() {
    {
        std::lock_guard lock(postLock);
        std::swap(pending, working);
    }
    for (const Entry& e : working)
        handleCommand(e.type, e.voice);
    working.clear();
    pruneAndRelease();
}

void CMixRenderer::handleCommand(Audio::i32 type, CPlaybackVoice* voice) {
    switch (type) {
    case VoiceStarted:
        active.push_back(voice);
        voice->notifyStarted(framesRendered.load());
        break;
    case VoiceStopped:
        pruneRequested = true;
        voice->notifyPosition();
        break;
    case VoiceCreated:
        owned.emplace_back(voice);
        break;
    case Release:
        releaseRequested = true;
        break;
    default:
        break;
    }
}

void CMixRenderer::pruneAndRelease() {
    if (pruneRequested) {
        for (auto i = active.size(); i-- > 0;)
            if (!active[i]->isActive()) active.erase(active.begin() + static_cast<long>(i));
        pruneRequested = false;
    }
    if (releaseRequested) {
        // A released voice that is still listed as active stays until it is pruned.
        std::erase_if(owned, [this](const std::unique_ptr<CPlaybackVoice>& v) {
            return v->getReferences() <= 0 &&
                   std::find(active.begin(), active.end(), v.get()) == active.end();
        });
        releaseRequested = false;
    }
}

void CMixRenderer::render(int, float* const* channels, int channelCount, int frameCount) {
    std::lock_guard lock(renderLock);
    handleCommands();
    if (running) {
        renderVoices(channels, channelCount, frameCount);
        framesRendered += frameCount;
    } else {
        for (int c = 0; c < channelCount; ++c)
            std::fill(channels[c], channels[c] + frameCount, 0.0f);
    }
}

void CMixRenderer::renderVoices(float* const* channels, int channelCount, int frameCount) {
    if (active.empty()) {
        for (int c = 0; c < channelCount; ++c)
            std::fill(channels[c], channels[c] + frameCount, 0.0f);
        return;
    }
    for (CPlaybackVoice* voice : active)
        voice->render(0, channels, channelCount, frameCount);
}

void CMixRenderer::start() {
    std::lock_guard lock(renderLock);
    running = true;
    framesRendered = 0;
}

void CMixRenderer::stop() {
    std::lock_guard lock(renderLock);
    for (CPlaybackVoice* voice : active)
        if (voice->isActive()) voice->stop();
    running = false;
    handleCommands();
}

std::size_t CMixRenderer::getActiveCount() const {
    std::lock_guard lock(renderLock);
    return active.size();
}

std::size_t CMixRenderer::getOwnedCount() const {
    std::lock_guard lock(renderLock);
    return owned.size();
}

} // namespace Output
