#pragma once
// Progress of a processing job: the percentage, the remaining-time estimate and its texts.
#include <cstdint>
#include <string>

namespace Process {

class CKALO2FileProcess;

// "3 days", "25h:05m", "1h:01m", "2 min", "1 second", "12 seconds".
std::string remainingText(std::uint64_t milliseconds);
// The progress window's line: "1h:01m", "2 min", "1 second", "12 seconds".
std::string progressWindowText(std::int64_t seconds);

// The sink a job reports to. Called on the job's thread.
class ProcessingProgress {
  public:
    explicit ProcessingProgress(std::uint64_t intervalMs = 500) : interval(intervalMs) {}
    virtual ~ProcessingProgress() = default;

    // Clears the counters and starts the clock; the job calls it before its first block.
    virtual void reset();
    // percent 0..100.
    virtual void setPercent(double percent);
    virtual void setRemaining(std::uint64_t milliseconds);

    double getPercent() const { return current; }
    std::uint64_t getRemaining() const { return remaining; }
    const std::string& getRemainingText() const { return text; }
    bool hasEstimate() const { return estimated; }

  protected:
    // Milliseconds of a steady clock; tests replace it.
    virtual std::uint64_t now() const;
    // The estimate: remaining time from the progress since the last estimate.
    void estimate(double percent);

    std::uint64_t interval;
    std::uint64_t lastTick = 0;
    double current = 0.0;
    double lastEstimatePercent = 0.0;
    std::uint64_t remaining = 0;
    std::string text;
    bool estimated = false;
};

// The batch's progress: at most one estimate per interval, ignoring reports closer than 100 ms,
// and a window whose stop aborts the job.
class BatchProgress : public ProcessingProgress {
  public:
    class Window {
      public:
        virtual ~Window() = default;
        // position 0..1000, remaining seconds; false when the user wants to stop.
        virtual bool update(int position, std::int64_t seconds) = 0;
    };

    explicit BatchProgress(Window& shown) : ProcessingProgress(500), window(shown) {}
    // The job the window's stop aborts; the job is made after its progress, so it comes later.
    void setJob(CKALO2FileProcess* stoppable) { job = stoppable; }
    void setPercent(double percent) override;

  private:
    Window& window;
    CKALO2FileProcess* job = nullptr;
};

} // namespace Process
