#include "process/KALO2FileProcess.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "process/StepWalk.h"

namespace Process {

using namespace Audio;

namespace {
// Output frames gathered before each write to the destination.
constexpr std::uint32_t kPendingFrames = 16384;
} // namespace

CKALO2FileProcess::CKALO2FileProcess(ProcessingProgress* progress_,
                                     const MarkPoints::CMarkPointArray& timeCurve,
                                     const MarkPoints::CMarkPointArray& pitchCurve,
                                     const MarkPoints::CMarkPointArray& formantCurve)
    : curves{timeCurve, pitchCurve, formantCurve}, progress(progress_) {
}

CKALO2FileProcess::~CKALO2FileProcess() = default;

void CKALO2FileProcess::init(const JobParameters& p) {
    source = p.source;
    dynamic = p.dynamic && !p.doubleLength;
    preserveFormants = p.preserveFormants;
    options = {p.quality, p.exactPitch, p.doubleLength};
    startFrame = p.startFrame;
    endFrame = p.endFrame == -1 ? static_cast<std::int64_t>(source->file->getFrames()) : p.endFrame;
    source->refresh();
    if (p.doubleLength) {
        factors = {2.0, 1.0, 1.0};
    } else {
        factors.time = Engine::saneTimeFactor(p.timeFactor);
        factors.pitch = Engine::saneRatio(p.pitchFactor);
        factors.formant =
            preserveFormants ? 1.0 / factors.pitch : Engine::saneRatio(p.formantFactor);
    }
    sourceFormat = source->file->format;
    if (sourceFormat.channels > static_cast<u32>(Audio::kMaxEngineChannels))
        throw std::runtime_error("CKALO2FileProcess::init() the source has " +
                                 std::to_string(sourceFormat.channels) + " channels; at most " +
                                 std::to_string(Audio::kMaxEngineChannels) + " can be processed!");
    auto engine = Engine::makeEngine(
        {static_cast<int>(sourceFormat.channels), static_cast<float>(sourceFormat.sampleRate)},
        options);
    expectedLength = estimateLength(engine->step());
    if (dynamic)
        factorSource =
            std::make_unique<CurveFactors>(curves[0], curves[1], curves[2], preserveFormants);
    else
        factorSource = std::make_unique<FixedFactors>(factors);
    // A source of a few frames at a small time factor is promised less than one frame; it
    // still gets one, as a file without frames is no sound file. In exact-pitch mode fixed
    // factors give exactly time × length frames: the result is cut there instead of ending
    // with the rest of the engine's last call.
    const std::uint64_t leastLength =
        endFrame > startFrame ? std::max<std::uint64_t>(expectedLength, 1) : expectedLength;
    const bool exactLength = options.exactPitch && !dynamic;
    stream = std::make_unique<StretchStream>(*source, std::move(engine), *factorSource,
                                             StreamRange{startFrame, endFrame}, leastLength,
                                             exactLength);
    initialised = true;
}

std::uint64_t CKALO2FileProcess::estimateLength(double step) const {
    if (!dynamic)
        return static_cast<std::uint64_t>(static_cast<double>(endFrame - startFrame) *
                                          factors.time);
    StepWalk walk(curves[0], curves[1], step);
    const std::uint64_t before = walk.outputBefore(startFrame);
    const std::uint64_t total = walk.outputBefore(endFrame);
    return total > before ? total - before : 0;
}

bool CKALO2FileProcess::process(CAudioFile* destination) {
    if (!initialised)
        throw std::logic_error("CKALO2FileProcess::process() call init() befor process() please!");
    initialised = false;
    if (progress) progress->reset();
    try {
        if (!destination->isOpen()) destination->open(Write, &sourceFormat);
        pending.reserve(static_cast<int>(sourceFormat.channels), kPendingFrames);
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

bool CKALO2FileProcess::blockLoop(CAudioFile& destination) {
    for (;;) {
        if (progress)
            progress->setPercent(
                expectedLength == 0
                    ? 0.0
                    : 100.0 * static_cast<double>(std::min(stream->delivered(), expectedLength)) /
                          static_cast<double>(expectedLength));
        if (abortRequested.load()) return false;
        const std::int32_t n = stream->next();
        if (dynamic) factors = stream->currentFactors();
        if (n == 0) return true;
        pending.add(destination, stream->frames(), static_cast<u32>(n));
    }
}

} // namespace Process
