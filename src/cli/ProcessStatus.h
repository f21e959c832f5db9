#pragma once
// What `process` shows on stderr while files are processed side by side: one status line with
// the overall percentage and the remaining time on a terminal, and a line per finished file.
#include <atomic>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ProgressLine.h"
#include "process/RowProcessor.h"

namespace Cli {

class ProcessStatus {
  public:
    // The progress sink of one file's job; called on that job's thread. Ctrl-C reaches the
    // job through it.
    class Slot : public Process::ProcessingProgress, public Process::RowObserver {
      public:
        explicit Slot(ProcessStatus& status) : ProcessingProgress(500), owner(status) {}
        void setPercent(double percent) override;
        void jobStarted(Process::CKALO2FileProcess& job) override { running.store(&job); }
        void jobEnded() override { running.store(nullptr); }

      private:
        friend class ProcessStatus;
        ProcessStatus& owner;
        std::atomic<Process::CKALO2FileProcess*> running{nullptr};
        std::atomic<double> shownPercent{0.0};
        // Milliseconds left, or noEstimate; other threads read it for the status line.
        static constexpr std::uint64_t noEstimate = ~std::uint64_t{0};
        std::atomic<std::uint64_t> shownRemaining{noEstimate};
        std::atomic<std::uint64_t> lastDraw{0};
        std::atomic<bool> active{false};
    };

    ProcessStatus(std::ostream& err, bool terminal, std::size_t files);
    Slot& begin(std::size_t index, const std::string& name);
    void end(std::size_t index, const std::string& line);

  private:
    void draw();

    std::mutex lock;
    ProgressLine line;
    std::vector<std::unique_ptr<Slot>> slots;
    std::vector<std::string> names;
    std::size_t finished = 0;
};

} // namespace Cli
