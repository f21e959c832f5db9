#include "process/LiveAudition.h"

#include <algorithm>

namespace Process {

LiveAudition::LiveAudition(Output::CAudioEngine& engine_) : engine(engine_) {
}

LiveAudition::~LiveAudition() {
    try {
        stop();
    } catch (...) {
        // Stopping the output failed; the engine's own end closes it.
    }
}

void LiveAudition::play(const JobPlan& plan, const std::string& displayName, bool loop,
                        Output::CPlaybackListener* listener) {
    stop();
    auto live = std::make_shared<LiveStretchSource>(plan, liveFactorsFor(plan), loop);
    forward = listener;
    startFrame = -1;
    lastFrame = -1;
    failed.clear();
    engine.playLive(live, displayName, this, 0);
    if (!engine.isPlayingSource(live.get())) return; // no device: nothing plays
    source = std::move(live);
    factors = dynamic_cast<LiveFactors*>(&source->factorSource());
    curves = dynamic_cast<LiveCurveFactors*>(&source->factorSource());
}

void LiveAudition::stop() {
    if (source && engine.isPlayingSource(source.get())) engine.stop();
    letGo();
}

// The engine has deleted the voice by now, or holds it stopped until its next play or stop,
// which run on this thread too: the last share of the sound is freed here.
void LiveAudition::letGo() {
    if (source) failed = source->failure();
    factors = nullptr;
    curves = nullptr;
    source.reset();
}

bool LiveAudition::isPlaying() {
    if (!source) return false;
    if (engine.isPlayingSource(source.get()) && engine.isVoiceActive()) {
        if (curves) curves->collect();
        return true;
    }
    if (engine.isPlayingSource(source.get())) engine.stop();
    letGo();
    return false;
}

void LiveAudition::setFactors(const Engine::Factors& f) {
    if (factors) factors->set(f);
}

void LiveAudition::setCurves(const Curves& c, bool preserveFormants) {
    if (!curves) return;
    curves->setPreserveFormants(preserveFormants);
    curves->publish(c);
}

std::optional<LivePosition> LiveAudition::position() {
    const Audio::i64 begin = startFrame.load();
    if (!source || begin < 0) return std::nullopt;
    Audio::i64 heard = engine.getFramesPlayed() - begin;
    const Audio::i64 last = lastFrame.load();
    if (last >= 0) heard = std::min(heard, last - begin);
    LivePosition p;
    if (!source->positionAt(static_cast<Audio::u64>(std::max<Audio::i64>(heard, 0)), p))
        return std::nullopt;
    return p;
}

void LiveAudition::started(Audio::i32 value, Audio::i64 frame) {
    startFrame = frame;
    if (forward) forward->started(value, frame);
}

void LiveAudition::position(Audio::i32 value, Audio::i64 frame) {
    lastFrame = frame;
    if (forward) forward->position(value, frame);
}

} // namespace Process
