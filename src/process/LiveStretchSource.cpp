#include "process/LiveStretchSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "process/ProcessingLimits.h"
#include "process/StepWalk.h"

namespace Process {

namespace {
// Frames pulled from the stream at a time when the output's rate is not the file's.
constexpr Audio::u32 kStageFrames = 1024;
} // namespace

LiveStretchSource::LiveStretchSource(const JobPlan& plan, std::unique_ptr<LiveFactorSource> f,
                                     bool loop_)
    : cache(plan.parameters.source), loop(loop_), factors(std::move(f)) {
    const JobParameters& p = plan.parameters;
    range = rangeOf(p, *cache);
    cache->refresh();
    const Audio::AudioFormat& format = cache->file->format;
    channels = static_cast<int>(format.channels);
    fileRate = static_cast<double>(format.sampleRate);
    auto engine = makeJobEngine(p, format);
    const double step = engine->step();
    const std::uint64_t length = expectedLengthOf(p, plan.curves, range, step);
    heldFrames = static_cast<int>(std::ceil(step / kMinPitchFactor)) + 2;
    stream = std::make_unique<StretchStream>(*cache, std::move(engine), *factors, range,
                                             leastLengthOf(length, range),
                                             endsAtPromisedLength(p));
    stream->setObserver(this);
    stage.assign(static_cast<std::size_t>(channels) * kStageFrames, 0.0f);
    for (int c = 0; c < channels; ++c)
        stageChannels[static_cast<std::size_t>(c)] =
            stage.data() + static_cast<std::size_t>(c) * kStageFrames;
}

LiveStretchSource::~LiveStretchSource() = default;

void LiveStretchSource::setOutputRate(float rate) {
    ratio = rate > 0.0f ? fileRate / static_cast<double>(rate) : 1.0;
}

void LiveStretchSource::start() {
    active.store(true);
}

void LiveStretchSource::process(float** dest, Audio::u32, Audio::u32 frames) {
    Audio::u32 done = 0;
    if (active.load()) {
        try {
            // Once the factors have changed, the job's promised length is no longer the one to
            // keep: the stream ends when the source does.
            if (!lengthRelaxed && factors->hasChanged()) {
                stream->setMinimumLength(0);
                lengthRelaxed = true;
            }
            done = ratio == 1.0 ? pull(dest, frames) : convertRate(dest, frames);
        } catch (const std::exception& e) {
            fail(e.what());
        } catch (...) {
            fail("the processed sound could not be computed!");
        }
    }
    for (int c = 0; c < channels; ++c)
        std::fill(dest[c] + done, dest[c] + frames, 0.0f);
    delivered.fetch_add(frames);
    if (done < frames) active.store(false);
}

// Frames straight from the stream; at the range's end a loop starts the next pass.
Audio::u32 LiveStretchSource::pull(float* const* dest, Audio::u32 frames) {
    Audio::u32 done = 0;
    bool freshPass = false;
    while (done < frames) {
        std::array<float*, Audio::kMaxEngineChannels> at{};
        for (int c = 0; c < channels; ++c)
            at[static_cast<std::size_t>(c)] = dest[c] + done;
        const auto n = static_cast<Audio::u32>(
            stream->read(at.data(), static_cast<std::int32_t>(frames - done)));
        done += n;
        streamFrames += n;
        if (done == frames || !loop || (freshPass && n == 0)) break;
        passStart = streamFrames;
        stream->restart();
        freshPass = true;
    }
    return done;
}

bool LiveStretchSource::refillStage() {
    staged = pull(stageChannels.data(), kStageFrames);
    stageRead = 0;
    return staged > 0;
}

// Linear interpolation between neighbouring stream frames, as plain playback converts rates.
Audio::u32 LiveStretchSource::convertRate(float* const* dest, Audio::u32 frames) {
    const auto nextFrame = [this](std::array<float, Audio::kMaxEngineChannels>& into) {
        if (stageRead == staged && (stageEnded || !refillStage())) {
            stageEnded = true;
            return false;
        }
        for (int c = 0; c < channels; ++c)
            into[static_cast<std::size_t>(c)] =
                stageChannels[static_cast<std::size_t>(c)][stageRead];
        ++stageRead;
        return true;
    };
    if (!primed) {
        if (!nextFrame(before) || !nextFrame(after)) return 0;
        primed = true;
    }
    for (Audio::u32 k = 0; k < frames; ++k) {
        while (phase >= 1.0) {
            before = after;
            if (!nextFrame(after)) return k;
            phase -= 1.0;
        }
        const auto b = static_cast<float>(phase);
        for (int c = 0; c < channels; ++c) {
            const auto i = static_cast<std::size_t>(c);
            dest[c][k] = before[i] + (after[i] - before[i]) * b;
        }
        phase += ratio;
    }
    return frames;
}

void LiveStretchSource::engineCalled(std::uint64_t outputBefore, std::int64_t sourcePosition,
                                     const Engine::Factors& f) {
    trail.add({passStart + outputBefore, passStart, sourcePosition, f.time});
    timeInUse.store(f.time, std::memory_order_relaxed);
    pitchInUse.store(f.pitch, std::memory_order_relaxed);
}

bool LiveStretchSource::positionAt(Audio::u64 heard, LivePosition& position) const {
    const auto frame = static_cast<std::uint64_t>(static_cast<double>(heard) * ratio);
    SourceMark mark;
    if (!trail.find(frame, mark)) return false;
    const std::int64_t source =
        mark.source + sourceFramesOf(static_cast<std::int64_t>(frame - mark.output), mark.time);
    position.source = std::clamp(source, range.start, std::max(range.start, range.end));
    position.processed = frame - mark.passStart;
    return true;
}

void LiveStretchSource::fail(const char* text) {
    std::strncpy(failureText.data(), text, failureText.size() - 1);
    failed.store(true, std::memory_order_release);
}

std::string LiveStretchSource::failure() const {
    return failed.load(std::memory_order_acquire) ? std::string(failureText.data()) : std::string();
}

} // namespace Process
