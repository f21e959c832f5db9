#include "process/RowProcessor.h"

#include "process/JobPlan.h"
#include "process/ProcessingLimits.h"
#include "process/SourceWatch.h"

#include <cmath>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

namespace Process {

using namespace Audio;

namespace {

void fillBuilder(CKALODestinationFileBuilder& builder, const RowSettings& row,
                 const RowSource& source, const NamingSettings& naming, const JobPlan& plan,
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
    builder.names.semitones = static_cast<float>(plan.semitones);
    builder.names.cents = static_cast<float>(plan.cents);
    builder.names.timeFactor = static_cast<float>(plan.parameters.timeFactor);
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
    const JobPlan plan = planJob(row, quality, cache);
    CKALO2FileProcess job(progress, plan.curves[0], plan.curves[1], plan.curves[2]);
    job.init(plan.parameters);
    CKALODestinationFileBuilder builder(dialogs);
    fillBuilder(builder, row, source, naming, plan, job.getExpectedLength());
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
