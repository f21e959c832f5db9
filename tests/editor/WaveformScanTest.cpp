#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "editor/WaveformScan.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Editor;
using TestSupport::Channels;

namespace {

constexpr Audio::u32 kBlock = 65536;
constexpr Audio::u32 kLevelFrames = 128;

std::unique_ptr<Audio::CAudioFileCache> cacheOf(const std::string& path) {
    return std::make_unique<Audio::CAudioFileCache>(
        Audio::createAudioFile(path, Audio::WavType).release(), 10, kBlock);
}

// Column k by its definition, from the whole file in memory: [a, b) of the source, or of the
// overview's levels when `levels` is set.
WaveformColumns expected(const Channels& data, std::size_t sourceFrames, const WaveformView& v,
                         bool levels) {
    WaveformColumns out;
    out.minimum.resize(data.size());
    out.maximum.resize(data.size());
    const std::size_t divisor = levels ? kLevelFrames : 1;
    for (int k = 0; k < v.width; ++k) {
        const auto at = [&](int i) {
            return static_cast<std::size_t>(v.firstFrame) +
                   static_cast<std::size_t>(i * v.framesPerPixel);
        };
        if (at(k) >= sourceFrames) break;
        const std::size_t a = at(k) / divisor;
        const std::size_t b = std::min(data[0].size(), std::min(sourceFrames, at(k + 1)) / divisor);
        for (std::size_t c = 0; c < data.size(); ++c) {
            if (levels) {
                const float top = *std::max_element(data[c].begin() + a, data[c].begin() + b);
                out.minimum[c].push_back(-top);
                out.maximum[c].push_back(top);
            } else if (v.framesPerPixel <= 1.0) {
                out.minimum[c].push_back(data[c][a]);
                out.maximum[c].push_back(data[c][a]);
            } else {
                const auto [lo, hi] = std::minmax_element(data[c].begin() + a, data[c].begin() + b);
                out.minimum[c].push_back(*lo);
                out.maximum[c].push_back(*hi);
            }
        }
    }
    return out;
}

class WaveformScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestSupport::writeWav(sourcePath, TestSupport::testSignal(2, kFrames));
        source = TestSupport::readFile(sourcePath);
    }

    static constexpr std::size_t kFrames = 3 * kBlock + 3395;
    TestSupport::TempDir dir;
    const std::string sourcePath = dir.file("source.wav");
    Channels source;
    std::atomic<bool> abort{false};
};

} // namespace

TEST_F(WaveformScanTest, ColumnsMatchTheFileFrameByFrame) {
    const auto cache = cacheOf(sourcePath);
    const std::vector<WaveformView> views{
        {0, 0.4, 300},             // several columns on one frame
        {kBlock - 6, 0.5, 40},     // samples across a block boundary
        {1000, 1.0, 500},          // one frame a column
        {0, 3.7, 900},             // fractional
        {kBlock - 500, 1000.0, 5}, // the first column straddles a block
        {0, 127.3, 1600},          // the whole file, columns straddling every boundary
        {150000, 77.7, 1000},      // past the end: fewer columns
        {kBlock - 10, 2.5, 10},
        {static_cast<std::int64_t>(kFrames) + 5, 2.0, 10}, // nothing to show
    };
    for (const WaveformView& v : views) {
        WaveformColumns got;
        ASSERT_TRUE(scanWaveform(*cache, {}, v, abort, got));
        const WaveformColumns want = expected(source, kFrames, v, false);
        EXPECT_FALSE(got.fromOverview);
        EXPECT_EQ(got.minimum, want.minimum) << v.firstFrame << " " << v.framesPerPixel;
        EXPECT_EQ(got.maximum, want.maximum) << v.firstFrame << " " << v.framesPerPixel;
        EXPECT_NO_THROW(cache->release()); // every block was handed back
    }
}

TEST_F(WaveformScanTest, ZoomedOutReadsTheOverview) {
    // Levels of an overview: any values do, the scan maps columns onto them.
    Channels levels(2, std::vector<float>((kFrames + kLevelFrames - 1) / kLevelFrames));
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < levels[c].size(); ++i)
            levels[c][i] = std::fabs(source[c][i * kLevelFrames]);
    const std::string overviewPath = dir.file("overview.wav");
    TestSupport::writeWav(overviewPath, levels);
    levels = TestSupport::readFile(overviewPath);
    const auto cache = cacheOf(sourcePath);
    const auto overview = cacheOf(overviewPath);

    struct Row {
        WaveformView view;
        int halvings;
    };
    for (const Row& r :
         {Row{{0, 128.0, 1600}, 0}, Row{{70000, 1000.0, 300}, 3}, Row{{3, 333.3, 700}, 2}}) {
        WaveformColumns got;
        ASSERT_TRUE(scanWaveform(*cache, {overview.get(), kLevelFrames}, r.view, abort, got));
        const WaveformColumns want = expected(levels, kFrames, r.view, true);
        EXPECT_TRUE(got.fromOverview);
        EXPECT_EQ(got.overviewHalvings, r.halvings);
        EXPECT_EQ(got.minimum, want.minimum) << r.view.framesPerPixel;
        EXPECT_EQ(got.maximum, want.maximum) << r.view.framesPerPixel;
        EXPECT_NO_THROW(overview->release());
    }
    // Finer than the overview the file itself is read.
    WaveformColumns got;
    ASSERT_TRUE(scanWaveform(*cache, {overview.get(), kLevelFrames}, {0, 127.0, 50}, abort, got));
    EXPECT_FALSE(got.fromOverview);
    EXPECT_EQ(got.maximum, expected(source, kFrames, {0, 127.0, 50}, false).maximum);
}

TEST_F(WaveformScanTest, AbortAndFailureHandEveryBlockBack) {
    const auto cache = cacheOf(sourcePath);
    WaveformColumns got;
    abort = true;
    EXPECT_FALSE(scanWaveform(*cache, {}, {0, 100.0, 100}, abort, got));
    abort = false;
    ASSERT_TRUE(scanWaveform(*cache, {}, {0, 100.0, 100}, abort, got)); // block 0 cached
    {
        std::lock_guard lock(cache->tableMutex());
        cache->file->close();
    }
    std::filesystem::remove(sourcePath);
    // Block 0 comes from the cache; block 1 cannot be read any more.
    EXPECT_ANY_THROW(scanWaveform(*cache, {}, {60000, 100.0, 200}, abort, got));
    EXPECT_NO_THROW(cache->release());
}

TEST(WaveformSpans, JoinedWithoutGaps) {
    // half height 100: spans from −trunc(100 × max) to −trunc(100 × min)
    const std::vector<float> minimum{-0.1f, 0.5f, -0.6f, -0.205f, 0.0f};
    const std::vector<float> maximum{0.1f, 0.6f, -0.5f, 0.205f, 0.0f};
    const std::vector<PixelSpan> expected{{-10, 10}, {-60, -11}, {-10, 60}, {-20, 20}, {0, 0}};
    EXPECT_EQ(joinSpans(minimum, maximum, 100.0), expected);

    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> low(2000), high(2000);
    for (std::size_t i = 0; i < low.size(); ++i) {
        low[i] = value(random);
        high[i] = std::max(low[i], value(random));
    }
    const std::vector<PixelSpan> spans = joinSpans(low, high, 37.5);
    for (std::size_t i = 1; i < spans.size(); ++i) {
        EXPECT_LE(spans[i].top, spans[i].bottom) << i;
        EXPECT_GE(spans[i].bottom + 1, spans[i - 1].top) << i;
        EXPECT_LE(spans[i].top - 1, spans[i - 1].bottom) << i;
    }
}
