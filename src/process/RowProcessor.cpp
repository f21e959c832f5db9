#include "process/RowProcessor.h"

#include "process/JobPlan.h"
#include "process/ProcessingLimits.h"

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
    builder.format = format;
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
    builder.fileType = source.fileType;
    builder.sourcePaths = source.memberPaths;
}

std::unique_ptr<CAudioFile> buildDestination(CKALODestinationFileBuilder& builder,
                                             std::mutex* namingLock) {
    std::unique_lock<std::mutex> lock;
    if (namingLock) lock = std::unique_lock(*namingLock);
    try {
        return builder.build();
    } catch (...) {
        // Reserved files would stay behind at full size.
        for (const std::string& path : builder.destinationPaths)
            if (!path.empty()) ::unlink(path.c_str());
        throw;
    }
}

} // namespace

RowResult processRow(const RowSettings& row, const RowSource& source, const NamingSettings& naming,
                     Engine::Quality quality, DestinationDialogs& dialogs,
                     ProcessingProgress* progress, const RowHooks& hooks,
                     std::vector<std::string>* partialPaths) {
    RowObserver* observer = hooks.observer;
    CAudioFileCache& cache = *source.cache;
    cache.refresh();
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
    if (partialPaths) *partialPaths = builder.destinationPaths;
    if (observer) observer->jobStarted(job);
    try {
        result.aborted = !job.process(result.destination.get());
    } catch (...) {
        result.failure = std::current_exception();
        result.closeFailure = job.getCloseFailure();
    }
    if (observer) observer->jobEnded();
    std::lock_guard lock(cache.tableMutex());
    if (cache.file->isOpen()) cache.file->close();
    return result;
}

} // namespace Process
