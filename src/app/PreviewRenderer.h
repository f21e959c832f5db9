#pragma once
// The editor's preview: a processing job rendered into a memory file on a thread of its own.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/FileRow.h"
#include "process/KALO2FileProcess.h"
#include "process/ProcessingProgress.h"

namespace App {

// The preview's progress: writes "processing \"name\": 12.5%  remaining: 3 seconds" to the
// editor's status line through `status`, from the rendering thread.
class PreviewProgress : public Process::ProcessingProgress {
  public:
    using Status = std::function<void(const std::string&)>;
    PreviewProgress(std::string fileName, Status statusLine)
        : name(std::move(fileName)), status(std::move(statusLine)) {}
    void setPercent(double percent) override;
    void setRemaining(std::uint64_t milliseconds) override;
    const std::string& getText() const { return line; }

  private:
    std::string name;
    Status status;
    double shown = -1.0;
    std::string line;
};

struct PreviewResult {
    enum Outcome { Ready, Aborted, Failed } outcome = Aborted;
    // The rendered range, ready to play (Ready only).
    std::unique_ptr<Audio::CAudioFileCache> cache;
    // The engine's step, for walking the curves as the preview did.
    double step = 0.0;
    std::string error;
};

class PreviewRenderer {
  public:
    // Called once on the rendering thread when it ends; the windows pass it on as a queued
    // signal.
    using Done = std::function<void(PreviewResult)>;

    PreviewRenderer() = default;
    ~PreviewRenderer();
    PreviewRenderer(const PreviewRenderer&) = delete;
    PreviewRenderer& operator=(const PreviewRenderer&) = delete;

    // Renders frames [start, end) of the row along its curves (factors 1.0, mark points on,
    // formants not preserved) into a memory file. One preview at a time: false while one runs.
    bool start(CFileRow& row, std::int64_t startFrame, std::int64_t endFrame, Engine::Quality quality,
               PreviewProgress& progress, Done done);
    // From any thread; the job stops at its next block.
    void abort();
    // Waits for the thread to end.
    void wait();
    bool isRunning() const { return running; }

  private:
    void render(std::unique_ptr<Audio::CAudioFile> destination, const Done& done);

    std::unique_ptr<Process::CKALO2FileProcess> job;
    Process::ProcessingProgress* progress = nullptr;
    std::thread thread;
    std::atomic<bool> running{false};
};

} // namespace App
