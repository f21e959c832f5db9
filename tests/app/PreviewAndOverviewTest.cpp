#include <gtest/gtest.h>

#include <condition_variable>
#include <ctime>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>

#include "ModelTestKit.h"
#include "app/PreviewRenderer.h"
#include "app/WaveOverview.h"

using namespace MarkPoints;

using namespace App;
using namespace ModelTest;

TEST(PreviewProgress, StatusTextGainsTheRemainingTimeOnceEstimated) {
    std::vector<std::string> lines;
    PreviewProgress p("take.wav", [&](const std::string& s) { lines.push_back(s); });
    p.reset();
    p.setPercent(12.34);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "processing \"take.wav\": 12.3%");
    p.setPercent(12.34); // unchanged: no new text
    EXPECT_EQ(lines.size(), 1u);
    p.setRemaining(2000);
    EXPECT_EQ(p.getRemaining(), 3000u);
    p.setPercent(20.0);
    EXPECT_EQ(lines.back(), "processing \"take.wav\": 20.0%  remaining: 3 seconds");
    p.setRemaining(0);
    EXPECT_EQ(p.getRemaining(), 0u);
}

namespace {

PreviewResult renderAndWait(PreviewRenderer& renderer, CFileRow& row, std::int64_t start,
                            std::int64_t end, PreviewProgress& progress, bool abortAtOnce = false) {
    std::promise<PreviewResult> done;
    auto result = done.get_future();
    EXPECT_TRUE(renderer.start(row, start, end, Engine::Quality::Fast, progress,
                               [&](PreviewResult r) { done.set_value(std::move(r)); }));
    if (abortAtOnce) renderer.abort();
    renderer.wait();
    return result.get();
}

} // namespace

TEST(PreviewRenderer, RendersTheRangeOrNothingWhenAborted) {
    TestSupport::TempDir dir;
    BatchList list;
    CFileRow& row = addFile(list, toneFile(dir, "a.wav", 60000));
    row.curves()[0] = JobTest::curve({{0, 2.0f, LINEAR}});
    PreviewProgress progress("a.wav", nullptr);
    PreviewRenderer renderer;
    PreviewResult ready = renderAndWait(renderer, row, 10000, 30000, progress);
    ASSERT_EQ(ready.outcome, PreviewResult::Ready);
    ASSERT_TRUE(ready.cache);
    EXPECT_NEAR(static_cast<double>(ready.cache->file->getFrames()), 40000.0, 3000.0);
    EXPECT_FALSE(renderer.isRunning());

    PreviewResult aborted = renderAndWait(renderer, row, 0, -1, progress, true);
    EXPECT_EQ(aborted.outcome, PreviewResult::Aborted);
    EXPECT_FALSE(aborted.cache);
    EXPECT_EQ(progress.getPercent(), 0.0);
}

TEST(WaveOverview, OneLevelPerColumnOfEveryChannel) {
    TestSupport::TempDir dir;
    BatchList list;
    const std::string path = dir.file("ramp.wav");
    const Audio::u32 frames = 128 * 700 + 5; // the last column holds 5 frames
    JobTest::Channels data(2, std::vector<float>(frames));
    for (Audio::u32 i = 0; i < frames; ++i) {
        data[0][i] = (i % 128 == 7) ? -0.5f : 0.25f;
        data[1][i] = static_cast<float>(i / 128) / 1024.0f;
    }
    JobTest::writeWave(path, JobTest::makeFormat(2, 8000, 32), data);
    CFileRow& row = addFile(list, path);
    std::vector<int> percents;
    Audio::CAudioFileCache* overview =
        ensureOverview(row, [&](int p) { return percents.push_back(p), true; });
    ASSERT_NE(overview, nullptr);
    EXPECT_EQ(overview->file->getFrames(), 701u);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(row.overviewBuilding, 0);
    EXPECT_EQ(row.getCache().getUsers(), 0u);
    JobTest::Channels levels(2, std::vector<float>(701));
    float* ptrs[] = {levels[0].data(), levels[1].data()};
    Audio::u32 got = 0;
    Audio::tools::read(ptrs, 0, overview, 2, 0, 701, &got);
    ASSERT_EQ(got, 701u);
    EXPECT_FLOAT_EQ(levels[0][0], 0.375f);
    EXPECT_FLOAT_EQ(levels[0][700], 0.25f); // the short last column misses frame 7
    EXPECT_FLOAT_EQ(levels[1][699], 699.0f / 1024.0f);
    EXPECT_EQ(ensureOverview(row, nullptr), overview); // built once
    EXPECT_FALSE(row.getCache().file->isOpen());

    // The source changed on disk: the overview is stale and built again from the new frames.
    for (float& v : data[1])
        v = -0.75f;
    JobTest::writeWave(path, JobTest::makeFormat(2, 8000, 32), data);
    const timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 10, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    Audio::CAudioFileCache* rebuilt = ensureOverview(row, nullptr);
    ASSERT_NE(rebuilt, nullptr);
    Audio::tools::read(ptrs, 0, rebuilt, 2, 0, 701, &got);
    EXPECT_FLOAT_EQ(levels[1][699], 0.75f);
    EXPECT_FALSE(row.isOverviewStale());
}

TEST(WaveOverview, CancelledScanLeavesNoOverviewAndTheRowFree) {
    TestSupport::TempDir dir;
    BatchList list;
    CFileRow& row = addFile(list, toneFile(dir, "long.wav", 1200000));
    int calls = 0;
    EXPECT_EQ(buildOverview(row,
                            [&](int) {
                                EXPECT_EQ(row.overviewBuilding, 1);
                                return ++calls < 1;
                            }),
              nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(row.overviewBuilding, 0);
}
