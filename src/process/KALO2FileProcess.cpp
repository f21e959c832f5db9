#include "process/KALO2FileProcess.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Process {

using namespace Audio;

namespace {
// Output frames gathered before each write to the destination.
constexpr std::uint32_t kPendingFrames = 16384;
} // namespace

double saneRatio(double factor) {
    if (std::isnan(factor)) return 1.0;
    return std::clamp(factor, 0.25, 4.0);
}

double saneTimeFactor(double factor) {
    if (std::isnan(factor)) return 1.0;
    return std::clamp(factor, 0.1, maxTimeFactor);
}

CKALO2FileProcess::CKALO2FileProcess(ProcessingProgress* progress_,
                                     const MarkPoints::CMarkPointArray& timeCurve,
                                     const MarkPoints::CMarkPointArray& pitchCurve,
                                     const MarkPoints::CMarkPointArray& formantCurve)
    : timeScale(timeCurve), pitchScale(pitchCurve), formantScale(formantCurve),
      estimateTime(timeCurve), estimatePitch(pitchCurve),
      engineState(new unsigned char[KALO2_StateSize()]()), progress(progress_) {
}

CKALO2FileProcess::~CKALO2FileProcess() = default;

void CKALO2FileProcess::init(const JobParameters& p) {
    source = p.source;
    dynamic = p.dynamic;
    preserveFormants = p.preserveFormants;
    qualityMode = p.qualityMode;
    doubleLength = p.doubleLength;
    exactPitch = p.exactPitch;
    startFrame = p.startFrame;
    endFrame = p.endFrame == -1 ? static_cast<std::int64_t>(source->file->getFrames()) : p.endFrame;
    source->refresh();
    if (doubleLength) {
        timeFactor = 2.0;
        pitchFactor = 1.0;
        formantFactor = 1.0;
        qualityMode = 5;
    } else {
        timeFactor = saneTimeFactor(p.timeFactor);
        pitchFactor = saneRatio(p.pitchFactor);
        formantFactor = preserveFormants ? 1.0 / pitchFactor : saneRatio(p.formantFactor);
    }
    sourceFormat = source->file->format;
    if (sourceFormat.channels > static_cast<u32>(Audio::kMaxEngineChannels))
        throw std::runtime_error("CKALO2FileProcess::init() the source has " +
                                 std::to_string(sourceFormat.channels) + " channels; at most " +
                                 std::to_string(Audio::kMaxEngineChannels) + " can be processed!");
    channelCount = static_cast<std::int32_t>(sourceFormat.channels);
    sampleRate = static_cast<float>(sourceFormat.sampleRate);
    expectedLength = estimateLength();
    for (std::int32_t c = 0; c < channelCount; ++c)
        if (!channels[static_cast<std::size_t>(c)])
            channels[static_cast<std::size_t>(c)].reset(new float[KALO2_BufferFrames]());
    initialised = true;
}

// Steps through the curves the way the engine steps through the source: every call yields
// 512 / pitch output frames for 1 / time of them in source frames.
std::uint64_t CKALO2FileProcess::simulateOutput(std::int64_t end) {
    estimateTime.rewind();
    estimatePitch.rewind();
    std::uint64_t total = 0;
    for (std::int64_t position = 0;;) {
        const double time = saneTimeFactor(estimateTime.evaluate(position));
        const double pitch = saneRatio(estimatePitch.evaluate(position));
        const auto out = static_cast<std::int64_t>(512.0 / pitch);
        // At least one frame a step, so that a huge time factor cannot stall the walk.
        const std::int64_t next =
            position + std::max<std::int64_t>(1, static_cast<std::int64_t>(out / time));
        if (next > end) {
            total += static_cast<std::uint64_t>(static_cast<double>(end - position) * time);
            return total;
        }
        total += static_cast<std::uint64_t>(out);
        position = next;
    }
}

std::uint64_t CKALO2FileProcess::estimateLength() {
    if (!dynamic || doubleLength)
        return static_cast<std::uint64_t>(static_cast<double>(endFrame - startFrame) * timeFactor);
    const std::uint64_t before = simulateOutput(startFrame);
    const std::uint64_t total = simulateOutput(endFrame);
    return total > before ? total - before : 0;
}

void CKALO2FileProcess::updateFactors(std::int64_t position) {
    timeFactor = saneTimeFactor(timeScale.evaluate(position));
    pitchFactor = saneRatio(pitchScale.evaluate(position));
    const double formant = formantScale.evaluate(position);
    formantFactor = preserveFormants ? 1.0 / pitchFactor : saneRatio(formant);
}

bool CKALO2FileProcess::process(CAudioFile* destination) {
    if (!initialised)
        throw std::logic_error("CKALO2FileProcess::process() call init() befor process() please!");
    initialised = false;
    timeScale.rewind();
    pitchScale.rewind();
    formantScale.rewind();
    framesProduced = 0;
    sourcePosition = startFrame;
    blockRequest = KALO2_FirstRequest;
    if (progress) progress->reset();
    try {
        if (!destination->isOpen()) destination->open(Write, &sourceFormat);
        pending.reserve(channelCount, kPendingFrames);
        const bool completed = blockLoop(*destination);
        pending.flush(*destination);
        if (progress) progress->setPercent(100.0);
        aborted = !completed;
        closeAndReopen(*destination);
        return completed;
    } catch (...) {
        // What the engine made before the failure still goes into the file.
        try {
            pending.flush(*destination);
        } catch (...) {
        }
        closeAfterFailure(*destination);
        throw;
    }
}

// The header is patched on close; reopening for reading checks that it parses.
void CKALO2FileProcess::closeAndReopen(CAudioFile& destination) {
    destination.close();
    destination.open(Read, nullptr);
    destination.close();
}

// The first failure is what `process` throws; one while closing is kept for the caller to show.
void CKALO2FileProcess::closeAfterFailure(CAudioFile& destination) {
    try {
        closeAndReopen(destination);
    } catch (const std::exception& e) {
        closeFailure = e.what();
    } catch (...) {
        closeFailure = kUnknownCloseFailure;
    }
}

std::uint32_t CKALO2FileProcess::readBlock() {
    std::uint32_t count = blockRequest;
    if (sourcePosition >= endFrame)
        count = 0;
    else if (sourcePosition + count > endFrame)
        count = static_cast<std::uint32_t>(endFrame - sourcePosition);
    float* dest[Audio::kMaxBlockChannels];
    for (int c = 0; c < Audio::kMaxBlockChannels; ++c)
        dest[c] = channels[static_cast<std::size_t>(c)].get();
    u32 got = 0;
    if (count > 0)
        tools::read(dest, 0, source, static_cast<u32>(channelCount),
                    static_cast<u64>(sourcePosition), count, &got);
    if (source->lostFrames())
        throw std::runtime_error("CKALO2FileProcess::process() the source file became shorter "
                                 "while it was processed! it may have been changed by another "
                                 "program.");
    for (std::int32_t c = 0; c < channelCount; ++c)
        std::fill(dest[c] + got, dest[c] + std::max(got, blockRequest), 0.0f);
    return got;
}

void CKALO2FileProcess::writeOutput(CAudioFile& destination, std::int32_t n,
                                    std::int64_t* latency) {
    std::int64_t skip = 0;
    if (*latency >= n) {
        *latency -= n;
        return;
    }
    if (*latency > 0) {
        skip = *latency;
        *latency = 0;
    }
    float* out[Audio::kMaxBlockChannels];
    for (int c = 0; c < Audio::kMaxBlockChannels; ++c)
        out[c] = channels[static_cast<std::size_t>(c)]
                     ? channels[static_cast<std::size_t>(c)].get() + skip
                     : nullptr;
    pending.add(destination, out, static_cast<u32>(n - skip));
}

bool CKALO2FileProcess::blockLoop(CAudioFile& destination) {
    if (dynamic && !doubleLength) updateFactors(sourcePosition);
    std::int64_t latency = KALO2_OutputLatency(pitchFactor, sampleRate, exactPitch);
    const std::int64_t limit = endFrame + latency;
    float* engineChannels[Audio::kMaxEngineChannels];
    for (int c = 0; c < Audio::kMaxEngineChannels; ++c)
        engineChannels[c] = channels[static_cast<std::size_t>(c)].get();
    auto* state = reinterpret_cast<EngineState*>(engineState.get());
    KALO2_SetExactPitch(state, exactPitch);
    // A short source ends before the engine's latency is through: silence follows its end
    // until the output is as long as the job promised (counting what is still gathered).
    while (sourcePosition < limit || destination.getFrames() + pending.frames() < expectedLength) {
        if (progress)
            progress->setPercent(
                expectedLength == 0
                    ? 0.0
                    : 100.0 * static_cast<double>(std::min(framesProduced, expectedLength)) /
                          static_cast<double>(expectedLength));
        if (abortRequested.load()) return false;
        if (dynamic && !doubleLength) updateFactors(sourcePosition);
        readBlock();
        auto position = static_cast<std::uint32_t>(sourcePosition - startFrame);
        const std::int32_t n =
            KALO2_Process(timeFactor, pitchFactor, formantFactor, qualityMode, sampleRate,
                          channelCount, 0, &position, &blockRequest, engineChannels, state);
        if (n < 0)
            throw std::logic_error("CKALO2FileProcess::process() the engine refused its state!");
        sourcePosition = static_cast<std::int64_t>(position) + startFrame;
        writeOutput(destination, n, &latency);
        framesProduced += static_cast<std::uint64_t>(n);
    }
    return true;
}

} // namespace Process
