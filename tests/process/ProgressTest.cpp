// Remaining-time texts and the batch's remaining-time estimate.
#include <gtest/gtest.h>

#include "JobTestFiles.h"
#include "process/KALO2FileProcess.h"
#include "process/ProcessingProgress.h"
#include "support/TestSupport.h"

using Process::BatchProgress;
using Process::ProcessingProgress;

TEST(ProgressTexts, ProgressWindowLine) {
    EXPECT_EQ(Process::progressWindowText(1), "1 second");
    EXPECT_EQ(Process::progressWindowText(0), "0 seconds");
    EXPECT_EQ(Process::progressWindowText(59), "59 seconds");
    EXPECT_EQ(Process::progressWindowText(61), "1 min");
    EXPECT_EQ(Process::progressWindowText(3599), "59 min");
    EXPECT_EQ(Process::progressWindowText(3660), "1h:01m");
    EXPECT_EQ(Process::progressWindowText(3600 * 30 + 59 * 60), "30h:59m");
    EXPECT_EQ(Process::progressWindowText(-5), "0 seconds");
}

TEST(ProgressTexts, RemainingTimeTextCountsUpToDays) {
    const std::uint64_t day = 86'400'000, hour = 3'600'000, minute = 60'000;
    const std::pair<std::uint64_t, const char*> rows[] = {
        {999, "0 seconds"},       {1000, "1 second"},  {1999, "1 second"},
        {12'000, "12 seconds"},   {61'000, "1 min"},   {3'660'000, "1h:01m"},
        {hour, "1h:00m"},         {day, "24h:00m"},    {day + hour + 5 * minute, "25h:05m"},
        {2 * day - 1, "47h:59m"}, {2 * day, "2 days"}, {3 * day + 5 * hour, "3 days"},
    };
    for (const auto& [ms, text] : rows)
        EXPECT_EQ(Process::remainingText(ms), text) << ms;
}

namespace {

// A clock the test moves by hand.
class ClockedBatchProgress : public BatchProgress {
  public:
    using BatchProgress::BatchProgress;
    std::uint64_t time = 0;

  protected:
    std::uint64_t now() const override { return time; }
};

// A clock that moves 200 ms every time it is read, so that every report counts.
class SteppingBatchProgress : public BatchProgress {
  public:
    using BatchProgress::BatchProgress;

  protected:
    std::uint64_t now() const override { return time += 200; }

  private:
    mutable std::uint64_t time = 0;
};

class ClockedProgress : public ProcessingProgress {
  public:
    std::uint64_t time = 0;

  protected:
    std::uint64_t now() const override { return time; }
};

class RecordingWindow : public BatchProgress::Window {
  public:
    struct Update {
        int position;
        std::int64_t seconds;
        bool operator==(const Update&) const = default;
    };
    std::vector<Update> updates;
    std::size_t stopAt = 0; // the update that asks to stop, counted from 1; 0: never
    bool update(int position, std::int64_t seconds) override {
        updates.push_back({position, seconds});
        return updates.size() != stopAt;
    }
};

} // namespace

TEST(BatchProgressEstimate, EstimatesFromTheProgressSinceTheLastEstimate) {
    RecordingWindow window;
    ClockedBatchProgress progress(window);
    progress.time = 10'000;
    progress.reset();

    progress.time = 10'050; // within 100 ms of the start: ignored
    progress.setPercent(5.0);
    EXPECT_TRUE(window.updates.empty());
    EXPECT_EQ(progress.getPercent(), 0.0);

    // 10 % in 1000 ms: 10000 ms in all, 9000 left.
    progress.time = 11'000;
    progress.setPercent(10.0);
    EXPECT_EQ(progress.getRemaining(), 9000u);
    EXPECT_EQ(progress.getRemainingText(), "9 seconds");
    ASSERT_EQ(window.updates.size(), 1u);
    EXPECT_EQ(window.updates.back(), (RecordingWindow::Update{100, 10}));

    // 300 ms later: shown, but too soon for a new estimate.
    progress.time = 11'300;
    progress.setPercent(12.5);
    EXPECT_EQ(progress.getRemaining(), 9000u);
    EXPECT_EQ(window.updates.back(), (RecordingWindow::Update{125, 10}));

    // 20 % more in 1000 ms since the last estimate: 5000 ms in all, 3500 left.
    progress.time = 12'000;
    progress.setPercent(30.0);
    EXPECT_EQ(progress.getRemaining(), 3500u);
    EXPECT_EQ(window.updates.back(), (RecordingWindow::Update{300, 4}));
}

TEST(BatchProgressEstimate, StandstillRestartsTheClock) {
    RecordingWindow window;
    ClockedBatchProgress progress(window);
    progress.reset();
    progress.time = 1000;
    progress.setPercent(10.0); // 9000 left
    progress.time = 5000;
    progress.setPercent(10.0); // no progress in 4 s: the clock restarts here
    EXPECT_EQ(progress.getRemaining(), 9000u);
    // 10 % more in 600 ms from the restart: 6000 ms in all, 80 % of it left.
    progress.time = 5600;
    progress.setPercent(20.0);
    EXPECT_EQ(progress.getRemaining(), 4800u);
}

// The window's stop reaches the running job, which ends early with a valid file.
TEST(BatchProgressEstimate, WindowStopAbortsTheJob) {
    TestSupport::TempDir dir;
    const std::string source = dir.file("source.wav");
    JobTest::writeWave(source, JobTest::makeFormat(1, 44100, 16),
                       {TestSupport::sine(100000, 440.0, 44100.0)});
    const auto cache = JobTest::openCache(source);
    RecordingWindow window;
    window.stopAt = 3;
    SteppingBatchProgress progress(window);
    Process::CKALO2FileProcess job(&progress, {}, {}, {});
    progress.setJob(&job);
    job.init({.source = cache.get(), .quality = Engine::Quality::Medium});
    auto writer = JobTest::waveFile(dir.file("out.wav"));
    EXPECT_FALSE(job.process(writer.get()));
    // The job checks the request right after each report: the stop at the third report ends
    // it there, and only the closing 100 % follows.
    ASSERT_EQ(window.updates.size(), 4u);
    EXPECT_EQ(window.updates.back().position, 1000);
    EXPECT_LT(JobTest::framesOf(dir.file("out.wav")), 100000u);
}

TEST(ProgressEstimate, PlainSinkTakesEveryReport) {
    ClockedProgress progress;
    progress.reset();
    progress.time = 50;
    progress.setPercent(5.0);
    EXPECT_EQ(progress.getPercent(), 5.0);
    EXPECT_FALSE(progress.hasEstimate()) << "estimated before the interval";
    // 10 % in 500 ms: 5000 ms in all, 4500 left.
    progress.time = 500;
    progress.setPercent(10.0);
    EXPECT_TRUE(progress.hasEstimate());
    EXPECT_EQ(progress.getRemaining(), 4500u);
}
