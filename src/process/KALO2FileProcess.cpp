#include "process/KALO2FileProcess.h"

#include <algorithm>
#include <stdexcept>
#include <string>

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
    dynamic = followsCurves(p);
    options = engineOptionsOf(p);
    const StreamRange range = rangeOf(p, *source);
    source->refresh();
    factors = fixedFactorsOf(p);
    sourceFormat = source->file->format;
    auto engine = makeJobEngine(p, sourceFormat);
    expectedLength = expectedLengthOf(p, curves, range, engine->step());
    if (dynamic)
        factorSource =
            std::make_unique<CurveFactors>(curves[0], curves[1], curves[2], p.preserveFormants);
    else
        factorSource = std::make_unique<FixedFactors>(factors);
    stream = std::make_unique<StretchStream>(*source, std::move(engine), *factorSource, range,
                                             leastLengthOf(expectedLength, range),
                                             endsAtPromisedLength(p));
    initialised = true;
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
