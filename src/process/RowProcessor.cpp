#include "process/RowProcessor.h"

#include "process/ProcessingLimits.h"
#include "process/SourceWatch.h"

#include <cmath>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

namespace Process {

using namespace Audio;

double pitchFactorOf(int semitones, int cents) {
    constexpr float twelfth = 1.0f / 12.0f;
    constexpr float centStep = 1.0f / 1200.0f;
    return std::pow(2.0, semitones * static_cast<double>(twelfth) +
                             cents * static_cast<double>(centStep));
}

double timeFactorOf(double value, TimeUnit unit, double sourceSeconds, double sourceBpm) {
    double factor = 0.0;
    if (unit == Seconds)
        factor = value / sourceSeconds;
    else if (unit == Percent)
        factor = value * 0.01;
    else
        factor = sourceBpm / value;
    if (!std::isfinite(factor) || factor <= 0.0)
        throw std::invalid_argument("the time value gives no usable time factor");
    return factor;
}

namespace {

struct Factors {
    int semitones, cents;
    double pitch, time;
};

Factors factorsOf(const RowSettings& row, const AudioFormat& format, u64 frames) {
    if (row.doubleLength) return {0, 0, 1.0, 2.0};
    const double seconds = static_cast<double>(frames) / format.sampleRate;
    return {row.semitones, row.cents, pitchFactorOf(row.semitones, row.cents),
            timeFactorOf(row.timeValue, row.timeUnit, seconds, row.sourceBpm)};
}

void fillBuilder(CKALODestinationFileBuilder& builder, const RowSettings& row,
                 const RowSource& source, const NamingSettings& naming, const Factors& f,
                 std::uint64_t expectedLength) {
    const AudioFormat& format = source.cache->file->format;
    const auto sourceType = static_cast<FileType>(source.fileType);
    const FileType result = resultTypeFor(sourceType, naming.format);
    builder.format = format;
    const u32 bits = formatOf(result)->writtenBits(format.bitsPerSample);
    if (bits != format.bitsPerSample) {
        builder.format.bitsPerSample = bits;
        builder.format.bytesPerFrame = bytesPerSample(bits) * format.channels;
        builder.format.bytesPerSecond = builder.format.bytesPerFrame * format.sampleRate;
    }
    builder.fileType = static_cast<std::int32_t>(result);
    if (result != sourceType) builder.names.extension = formatOf(result)->writtenExtension;
    // Curves change the factors along the file: no single value belongs in the name.
    builder.names.includePitch = naming.includePitch && !row.useMarkPoints;
    builder.names.includeTime = naming.includeTime && !row.useMarkPoints;
    builder.names.includeIndex = naming.includeIndex;
    builder.names.partsBeforeTitle = naming.partsBeforeTitle;
    builder.names.targetDirectory = naming.targetDirectory;
    builder.names.semitones = static_cast<float>(f.semitones);
    builder.names.cents = static_cast<float>(f.cents);
    builder.names.timeFactor = static_cast<float>(f.time);
    builder.expectedLength = expectedLength;
    builder.memberCount = format.channels;
    builder.split = source.split;
    builder.sourcePaths = source.memberPaths;
}

std::unique_ptr<CAudioFile> buildDestination(CKALODestinationFileBuilder& builder,
                                             std::mutex* namingLock) {
    std::unique_lock<std::mutex> lock;
    if (namingLock) lock = std::unique_lock(*namingLock);
    return builder.build(); // removes what it claimed when it fails
}

std::string sourceChangedText(const std::string& path) {
    return "CKALO2FileProcess::process() the source file was changed while it was processed! it "
           "may have been changed by another program. The result would mix the old and the new "
           "sound and was not kept: process the file again.\n FILE:" +
           path;
}

// What is no result goes: a file without frames (the job ended before it wrote any), or one
// read from a source that changed under the job.
void discardWhatIsNoResult(RowResult& result, const SourceWatch& watch,
                           std::vector<std::string>* partialPaths) {
    const std::string changed = watch.changedFile();
    if (!changed.empty() && !result.failure)
        result.failure = std::make_exception_ptr(std::runtime_error(sourceChangedText(changed)));
    const bool ended = result.failure || result.aborted;
    if (changed.empty() && !(ended && result.destination->getFrames() == 0)) return;
    result.destination.reset();
    for (const std::string& path : result.destinationPaths)
        ::unlink(path.c_str());
    result.destinationPaths.clear();
    if (partialPaths) partialPaths->clear();
}

} // namespace

RowResult processRow(const RowSettings& row, const RowSource& source, const NamingSettings& naming,
                     Engine::Quality quality, DestinationDialogs& dialogs,
                     ProcessingProgress* progress, const RowHooks& hooks,
                     std::vector<std::string>* partialPaths) {
    RowObserver* observer = hooks.observer;
    CAudioFileCache& cache = *source.cache;
    cache.refresh();
    const SourceWatch watch(source.memberPaths);
    const AudioFormat& format = cache.file->format;
    const std::string problem =
        rowBeyondLimits(row, static_cast<double>(cache.file->getFrames()) / format.sampleRate);
    if (!problem.empty()) throw std::out_of_range(problem);
    const Factors f = factorsOf(row, cache.file->format, cache.file->getFrames());
    CKALO2FileProcess job(progress, row.curves[0], row.curves[1], row.curves[2]);
    job.init({.pitchFactor = f.pitch,
              .timeFactor = f.time,
              .source = &cache,
              .dynamic = row.useMarkPoints,
              .preserveFormants = row.preserveFormants,
              .quality = quality,
              .doubleLength = row.doubleLength,
              .exactPitch = row.exactPitch});
    CKALODestinationFileBuilder builder(dialogs);
    fillBuilder(builder, row, source, naming, f, job.getExpectedLength());
    RowResult result;
    result.destination = buildDestination(builder, hooks.namingLock);
    if (!result.destination) return result;
    result.destinationPaths = builder.destinationPaths;
    result.type = static_cast<FileType>(builder.fileType);
    if (partialPaths) *partialPaths = builder.destinationPaths;
    if (observer) observer->jobStarted(job);
    try {
        result.aborted = !job.process(result.destination.get());
    } catch (...) {
        result.failure = std::current_exception();
        result.closeFailure = job.getCloseFailure();
    }
    if (observer) observer->jobEnded();
    {
        std::lock_guard lock(cache.tableMutex());
        if (cache.file->isOpen()) cache.file->close();
    }
    discardWhatIsNoResult(result, watch, partialPaths);
    return result;
}

} // namespace Process
