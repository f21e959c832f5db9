#include "app/PreviewRenderer.h"

#include <cstdio>

#include "app/SourceOpener.h"
#include "audio/MemoryAudioFile.h"
#include "process/JobPlan.h"

namespace App {

using namespace Audio;

void PreviewProgress::setPercent(double p) {
    estimate(p);
    if (p == shown) return;
    shown = p;
    char percent[64];
    std::snprintf(percent, sizeof percent, "%.1f", p);
    line = "processing \"" + name + "\": " + percent;
    line +=
        hasEstimate() && !getRemainingText().empty() ? "%  remaining: " + getRemainingText() : "%";
    if (status) status(line);
}

void PreviewProgress::setRemaining(std::uint64_t ms) {
    ProcessingProgress::setRemaining(ms != 0 ? ms + 1000 : 0);
}

PreviewRenderer::~PreviewRenderer() {
    abort();
    wait();
}

bool PreviewRenderer::start(CFileRow& row, std::int64_t startFrame, std::int64_t endFrame,
                            Engine::Quality quality, PreviewProgress& sink, Done done) {
    if (running) return false;
    wait();
    const Process::JobPlan plan = Process::planJob(Process::curvesOnly(row.curves()), quality,
                                                   row.getCache(), startFrame, endFrame);
    job = std::make_unique<Process::CKALO2FileProcess>(&sink, plan.curves[0], plan.curves[1],
                                                       plan.curves[2]);
    job->init(plan.parameters);
    std::unique_ptr<CAudioFile> destination = createMemoryAudioFile(row.format(), row.isSplit());
    progress = &sink;
    running = true;
    thread = std::thread([this, file = std::move(destination), done = std::move(done)]() mutable {
        render(std::move(file), done);
    });
    return true;
}

void PreviewRenderer::render(std::unique_ptr<CAudioFile> destination, const Done& done) {
    PreviewResult result;
    try {
        const bool complete = job->process(destination.get());
        if (complete) {
            result.outcome = PreviewResult::Ready;
            result.cache = makeRowCache(std::move(destination));
            result.step = job->getStep();
        } else {
            progress->setPercent(0.0);
            destination.reset();
        }
    } catch (...) {
        destination.reset();
        result.outcome = PreviewResult::Failed;
        result.error = failureText(std::current_exception(), "the preview could not be rendered!");
    }
    running = false;
    if (done) done(std::move(result));
}

// The job stays until the next start or the renderer's end, so an abort never meets a job
// that is being destroyed.
void PreviewRenderer::abort() {
    if (job) job->requestAbort();
}

void PreviewRenderer::wait() {
    if (thread.joinable()) thread.join();
}

} // namespace App
