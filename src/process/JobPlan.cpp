#include "process/JobPlan.h"

#include <algorithm>
#include <string>

#include "process/StepWalk.h"

namespace Process {

JobPlan planJob(const RowSettings& row, Engine::Quality quality, Audio::CAudioFileCache& source,
                std::int64_t startFrame, std::int64_t endFrame) {
    JobPlan plan;
    JobParameters& p = plan.parameters;
    p.source = &source;
    p.dynamic = row.useMarkPoints;
    p.preserveFormants = row.preserveFormants;
    p.quality = quality;
    p.doubleLength = row.doubleLength;
    p.exactPitch = row.exactPitch;
    p.startFrame = startFrame;
    p.endFrame = endFrame;
    if (!row.doubleLength) {
        const Audio::AudioFormat& format = source.file->format;
        const double seconds =
            static_cast<double>(source.file->getFrames()) / static_cast<double>(format.sampleRate);
        p.pitchFactor = pitchFactorOf(row.semitones, row.cents);
        p.timeFactor = timeFactorOf(row.timeValue, row.timeUnit, seconds, row.sourceBpm);
        plan.semitones = row.semitones;
        plan.cents = row.cents;
    } else {
        p.timeFactor = 2.0;
    }
    for (std::size_t k = 0; k < plan.curves.size(); ++k)
        plan.curves[k] = row.curves[k];
    return plan;
}

RowSettings curvesOnly(const Curves& curves) {
    RowSettings row;
    row.useMarkPoints = true;
    for (std::size_t k = 0; k < curves.size(); ++k)
        row.curves[k] = curves[k];
    return row;
}

Engine::Factors fixedFactorsOf(const JobParameters& p) {
    if (p.doubleLength) return {2.0, 1.0, 1.0};
    Engine::Factors f;
    f.time = Engine::saneTimeFactor(p.timeFactor);
    f.pitch = Engine::saneRatio(p.pitchFactor);
    f.formant = p.preserveFormants ? 1.0 / f.pitch : Engine::saneRatio(p.formantFactor);
    return f;
}

Engine::EngineOptions engineOptionsOf(const JobParameters& p) {
    return {p.quality, p.exactPitch, p.doubleLength};
}

StreamRange rangeOf(const JobParameters& p, const Audio::CAudioFileCache& source) {
    return {p.startFrame,
            p.endFrame == -1 ? static_cast<std::int64_t>(source.file->getFrames()) : p.endFrame};
}

bool followsCurves(const JobParameters& p) {
    return p.dynamic && !p.doubleLength;
}

std::unique_ptr<Engine::TimePitchEngine> makeJobEngine(const JobParameters& p,
                                                       const Audio::AudioFormat& format) {
    if (format.channels > static_cast<Audio::u32>(Audio::kMaxEngineChannels))
        throw std::runtime_error("CKALO2FileProcess::init() the source has " +
                                 std::to_string(format.channels) + " channels; at most " +
                                 std::to_string(Audio::kMaxEngineChannels) + " can be processed!");
    return Engine::makeEngine(
        {static_cast<int>(format.channels), static_cast<float>(format.sampleRate)},
        engineOptionsOf(p));
}

std::uint64_t expectedLengthOf(const JobParameters& p, const Curves& curves, StreamRange range,
                               double step) {
    if (!followsCurves(p))
        return static_cast<std::uint64_t>(static_cast<double>(range.end - range.start) *
                                          fixedFactorsOf(p).time);
    StepWalk walk(curves[0], curves[1], step);
    const std::uint64_t before = walk.outputBefore(range.start);
    const std::uint64_t total = walk.outputBefore(range.end);
    return total > before ? total - before : 0;
}

std::uint64_t leastLengthOf(std::uint64_t expected, StreamRange range) {
    return range.end > range.start ? std::max<std::uint64_t>(expected, 1) : expected;
}

bool endsAtPromisedLength(const JobParameters& p) {
    return p.exactPitch && !followsCurves(p);
}

} // namespace Process
