#include <gtest/gtest.h>

#include "ModelTestKit.h"
#include "app/RowWaveform.h"
#include "app/WaveOverview.h"

using namespace App;
using namespace ModelTest;

TEST(RowWaveform, FittedOutlineKeepsEveryPeakToTheLastColumn) {
    const std::vector<float> five{0.1f, 0.9f, 0.2f, 0.3f, 0.8f};
    EXPECT_EQ(fitOutline(five, 2), (std::vector<float>{0.9f, 0.8f}));
    EXPECT_EQ(fitOutline(five, 5), five);
    // Wider than the outline: each level repeated, the last one reaching the right edge.
    EXPECT_EQ(fitOutline({0.1f, 0.7f}, 4), (std::vector<float>{0.1f, 0.1f, 0.7f, 0.7f}));
    EXPECT_EQ(fitOutline({0.1f, 0.7f}, 3), (std::vector<float>{0.1f, 0.1f, 0.7f}));
    EXPECT_TRUE(fitOutline({}, 10).empty());
    EXPECT_TRUE(fitOutline(five, 0).empty());
}

TEST(RowWaveform, OutlineOfABackgroundScanTakesTheLoudestChannel) {
    TestSupport::TempDir dir;
    // Left quiet all along; right silent, then loud in its last quarter.
    const std::size_t frames = 128 * 400;
    TestSupport::Channels data{TestSupport::sine(frames, 441.0, 8000, 0.25),
                               std::vector<float>(frames, 0.0f)};
    for (std::size_t i = frames * 3 / 4; i < frames; ++i)
        data[1][i] = (i % 2 ? 0.9f : -0.9f);
    const std::string path = dir.file("burst.wav");
    JobTest::writeWave(path, JobTest::makeFormat(2, 8000, 16), data);
    BatchList list;
    CFileRow& row = addFile(list, path);
    // A background scan leaves the row free: it never counts as having an overview built.
    int counted = -1;
    auto overview = buildOverview(
        row, [&](int) { return counted = row.overviewBuilding, true; }, true);
    ASSERT_TRUE(overview);
    EXPECT_EQ(counted, 0);
    EXPECT_EQ(row.overviewBuilding, 0);
    const std::vector<float> outline = waveformOutline(*overview, 100);
    ASSERT_EQ(outline.size(), 100u);
    EXPECT_NEAR(outline[0], 0.25f, 0.02f);
    EXPECT_NEAR(outline[74], 0.25f, 0.02f);
    EXPECT_NEAR(outline[75], 0.9f, 0.01f);
    EXPECT_NEAR(outline[99], 0.9f, 0.01f);
    // Fewer overview frames (400) than columns: each level repeated.
    const std::vector<float> wide = waveformOutline(*overview, 1600);
    ASSERT_EQ(wide.size(), 1600u);
    EXPECT_NEAR(wide[1199], 0.25f, 0.02f);
    EXPECT_NEAR(wide[1200], 0.9f, 0.01f);
    // The editor's scan does count.
    buildOverview(row, [&](int) { return counted = row.overviewBuilding, true; });
    EXPECT_EQ(counted, 1);
}

TEST(RowWaveform, LengthScaleShowsAResultOfAnotherLength) {
    TestSupport::TempDir dir;
    BatchList list;
    CFileRow& row = addFile(list, toneFile(dir, "ten.wav", 80000)); // 10 s at 8000 Hz
    row.setTimeText("150");
    std::optional<LengthScale> scale = lengthScaleOf(row);
    ASSERT_TRUE(scale);
    EXPECT_NEAR(scale->sourceWidth, 1.0 / 1.5, 1e-9);
    EXPECT_EQ(scale->resultWidth, 1.0);
    EXPECT_EQ(scale->resultLength, "15 sec");
    row.setTimeText("50");
    scale = lengthScaleOf(row);
    ASSERT_TRUE(scale);
    EXPECT_EQ(scale->sourceWidth, 1.0);
    EXPECT_NEAR(scale->resultWidth, 0.5, 1e-9);
    EXPECT_EQ(scale->resultLength, "5 sec");
    // The same length, a length the curves decide, or no length at all: no scale.
    for (const char* same : {"100", "100.05", "abc", "0", ""}) {
        row.setTimeText(same);
        EXPECT_FALSE(lengthScaleOf(row)) << same;
    }
    row.setTimeText("100.2");
    EXPECT_TRUE(lengthScaleOf(row));
    row.setDoubleLength(true);
    ASSERT_TRUE(lengthScaleOf(row));
    EXPECT_EQ(lengthScaleOf(row)->resultLength, "20 sec");
    row.setUseMarkPoints(true);
    EXPECT_FALSE(lengthScaleOf(row));
    // In seconds: 75 s is a result of minutes.
    row.setUseMarkPoints(false);
    row.changeTimeUnit(Process::Seconds, false, [](double) { return std::optional<double>(); });
    row.setTimeText("75");
    ASSERT_TRUE(lengthScaleOf(row));
    EXPECT_EQ(lengthScaleOf(row)->resultLength, "1:15 min");
}
