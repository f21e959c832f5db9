#include <gtest/gtest.h>
#include <thread>
#include <utime.h>

#include "audio/AudioFileCache.h"
#include "audio/AudioFileIterator.h"
#include "audio/DataFile.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

// A mono 32-bit float file whose sample i is i, so every value tells where it came from.
std::string rampFile(const TestSupport::TempDir& dir, u32 frames, u32 channels = 1) {
    Channels data(channels, std::vector<float>(frames));
    for (u32 c = 0; c < channels; ++c)
        for (u32 i = 0; i < frames; ++i)
            data[c][i] = static_cast<float>(i + c * 1000000);
    const std::string path = dir.file("ramp.wav");
    writeFile(path, WavType, makeFormat(channels, 44100, 32), data, 4096);
    return path;
}

std::unique_ptr<CAudioFileCache> cacheOf(const std::string& path, i32 maxBlocks = 10,
                                         u32 blockFrames = 65536) {
    return std::make_unique<CAudioFileCache>(createAudioFile(path, WavType), maxBlocks,
                                             blockFrames);
}

// The next `frames` frames of a mono iterator, written over `fill`.
std::vector<float> pull(CAudioFileIterator& it, u32 frames, float fill = -1.0f) {
    std::vector<float> out(frames, fill);
    float* dest[] = {out.data()};
    it.process(dest, 1, frames);
    return out;
}

std::vector<float> readSpan(CAudioFileCache& cache, u64 start, u32 frames, u32* got) {
    std::vector<float> out(frames, -1.0f);
    float* dest[] = {out.data()};
    tools::read(dest, 0, &cache, 1, start, frames, got);
    return out;
}

} // namespace

TEST(AudioFileCache, SpansAcrossBlocksAndAtTheEnd) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 70000));
    u32 got = 0;
    const auto span = readSpan(*cache, 65000, 1000, &got);
    EXPECT_EQ(got, 1000u);
    for (u32 i = 0; i < 1000; ++i)
        ASSERT_EQ(span[i], static_cast<float>(65000 + i));
    EXPECT_EQ(cache->blockCount(), 2u);
    const auto tail = readSpan(*cache, 69990, 100, &got);
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(tail[9], 69999.0f);
    EXPECT_EQ(tail[10], -1.0f);
    readSpan(*cache, 70000, 5, &got);
    EXPECT_EQ(got, 0u);
}

TEST(AudioFileCache, TooFewBuffersIsAnOverflowError) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 100, 2));
    std::vector<float> one(10);
    float* dest[] = {one.data()};
    u32 got = 0;
    EXPECT_EQ(TestSupport::errorText<std::overflow_error>(
                  [&] { tools::read(dest, 0, cache.get(), 1, 0, 10, &got); }),
              "Audio::tools::read() not enough buffers to load data into!\n");
}

TEST(AudioFileCache, EvictsTheOldestBlockNobodyHolds) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 1200), 10, 100);
    std::vector<CAudioFileCache::Block*> held;
    for (u32 b = 0; b < 10; ++b)
        held.push_back(cache->load(b * 100));
    for (u32 b = 1; b < 10; ++b)
        cache->unuse(held[b]); // block 0 stays in use
    cache->load(1000);
    EXPECT_EQ(cache->blockCount(), 10u);
    CAudioFileCache::Block* first = cache->find(0);
    EXPECT_EQ(first, held[0]);            // the held block survived
    EXPECT_EQ(cache->find(100), nullptr); // the oldest free one went
    cache->unuse(first);
    cache->unuse(first);
}

TEST(AudioFileCache, GrowsWhenEveryBlockIsInUse) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 1200), 10, 100);
    std::vector<CAudioFileCache::Block*> held;
    for (u32 b = 0; b < 11; ++b)
        held.push_back(cache->load(b * 100));
    EXPECT_EQ(cache->blockCount(), 11u);
    EXPECT_THROW(cache->release(), std::runtime_error);
    EXPECT_EQ(cache->blockCount(), 11u);
    for (auto* b : held)
        cache->unuse(b);
    cache->release();
    EXPECT_EQ(cache->blockCount(), 0u);
}

TEST(AudioFileCache, ChangedFileIsReloadedAfterItWasClosed) {
    TestSupport::TempDir dir;
    const std::string path = rampFile(dir, 500);
    auto cache = cacheOf(path, 10, 100);
    u32 got = 0;
    EXPECT_EQ(readSpan(*cache, 10, 1, &got)[0], 10.0f);
    cache->file->close();
    writeFile(path, WavType, makeFormat(1, 44100, 32), Channels{std::vector<float>(500, 0.25f)});
    struct utimbuf later {
        2000000000, 2000000000
    };
    ::utime(path.c_str(), &later);
    EXPECT_EQ(readSpan(*cache, 10, 1, &got)[0], 10.0f);  // still served from the old block
    EXPECT_EQ(readSpan(*cache, 450, 1, &got)[0], 0.25f); // a load refreshes and drops old blocks
    EXPECT_EQ(readSpan(*cache, 10, 1, &got)[0], 0.25f);

    cache->file->close();
    struct utimbuf again {
        2100000000, 2100000000
    };
    ::utime(path.c_str(), &again);
    CAudioFileCache::Block* inUse = cache->find(10);
    ASSERT_NE(inUse, nullptr);
    EXPECT_THROW(cache->load(300), std::runtime_error);
    cache->unuse(inUse);
}

TEST(AudioFileCache, ManyThreadsReadOneCache) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 300000), 3, 4096);
    std::atomic<int> errors{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            std::vector<float> out(5000);
            float* dest[] = {out.data()};
            u64 start = static_cast<u64>(t) * 7919;
            for (int round = 0; round < 150; ++round) {
                start = (start * 48271 + 11) % 295000;
                u32 got = 0;
                tools::read(dest, 0, cache.get(), 1, start, 5000, &got);
                for (u32 i = 0; i < got; ++i)
                    if (out[i] != static_cast<float>(start + i)) ++errors;
            }
        });
    }
    for (auto& r : readers)
        r.join();
    EXPECT_EQ(errors.load(), 0);
}

TEST(AudioFileIterator, WithoutLoopZeroFillsAndStops) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 100));
    CAudioFileIterator it(cache.get(), 44100.0f);
    EXPECT_EQ(cache->getUsers(), 1u);
    it.start();
    pull(it, 64);
    const auto out = pull(it, 64);
    EXPECT_EQ(out[35], 99.0f);
    EXPECT_EQ(out[36], 0.0f);
    EXPECT_EQ(out[63], 0.0f);
    EXPECT_FALSE(it.isActive());
}

TEST(AudioFileIterator, LoopRangeWrapsWithoutAGap) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 1000));
    CAudioFileIterator it(cache.get(), 44100.0f);
    it.loop = it.useRange = true;
    it.loopStart = 100;
    it.loopEnd = 200;
    it.start();
    it.position = 150;
    auto out = pull(it, 150);
    for (u32 i = 0; i < 50; ++i)
        ASSERT_EQ(out[i], static_cast<float>(150 + i));
    for (u32 i = 50; i < 150; ++i)
        ASSERT_EQ(out[i], static_cast<float>(100 + i - 50));
    // A region much shorter than a request repeats seamlessly.
    it.loopStart = 10;
    it.loopEnd = 13;
    it.start();
    EXPECT_EQ(pull(it, 10), (std::vector<float>{10, 11, 12, 10, 11, 12, 10, 11, 12, 10}));
    EXPECT_TRUE(it.isActive());
}

TEST(AudioPlayback, ResamplesLinearlyAndContinuesAcrossCalls) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 200000), 10, 65536);
    CAudioPlayback it(cache.get(), 88200.0f); // half speed: every second frame is interpolated
    it.start();
    std::vector<float> all;
    for (int call = 0; call < 140; ++call) {
        const auto out = pull(it, 1000);
        all.insert(all.end(), out.begin(), out.end());
    }
    for (std::size_t k = 0; k < all.size(); ++k)
        ASSERT_FLOAT_EQ(all[k], 0.5f * static_cast<float>(k)) << k;
}

TEST(AudioPlayback, SameRateFallsBackToPlainReading) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 100));
    CAudioPlayback it(cache.get(), 44100.0f);
    it.start();
    pull(it, 10);
    const auto out = pull(it, 10);
    EXPECT_EQ(out[0], 10.0f);
    EXPECT_EQ(out[9], 19.0f);
}

TEST(AudioFileIterator, EmptyLoopRangeGivesSilenceInsteadOfSpinning) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 100));
    CAudioFileIterator it(cache.get(), 44100.0f);
    it.loop = it.useRange = true;
    it.loopStart = it.loopEnd = 50;
    it.start();
    EXPECT_EQ(pull(it, 20), std::vector<float>(20, 0.0f));
}

TEST(AudioFileCache, LoadingPastTheEndIsAnError) {
    TestSupport::TempDir dir;
    auto cache = cacheOf(rampFile(dir, 100), 10, 64);
    EXPECT_THROW(cache->load(100), std::out_of_range);
    EXPECT_EQ(cache->blockCount(), 0u);
}

// Beyond 2^24 frames a float position cannot tell neighbouring frames apart: the resampled
// playback still interpolates between the right frames there.
TEST(AudioPlayback, ResamplesExactlyBeyondTwoToTheTwentyFourFrames) {
    TestSupport::TempDir dir;
    constexpr u32 frames = (1u << 24) + 4096;
    Bytes file = waveFile(1, 1, 44100, 1, 8, frames);
    const std::size_t data = file.data.size() - frames;
    const auto byteAt = [](u64 i) { return static_cast<unsigned char>(i * 37 % 256); };
    for (u64 i = 0; i < frames; ++i)
        file.data[data + i] = byteAt(i);
    TestSupport::writeBytes(dir.file("long.wav"), file.data);
    auto cache = cacheOf(dir.file("long.wav"));
    CAudioPlayback it(cache.get(), 48000.0f);
    const i64 start = (i64{1} << 24) + 1;
    it.setLoop(start, -1);
    it.useRange = true;
    it.start();
    const auto out = pull(it, 2000);
    const double ratio = it.ratio; // 44100 / 48000 as the reader holds it
    for (u32 k = 0; k < 2000; ++k) {
        const double p = static_cast<double>(start) + k * ratio;
        const auto i = static_cast<u64>(p);
        const double f = p - static_cast<double>(i);
        const double a = (byteAt(i) - 128) / 128.0, b = (byteAt(i + 1) - 128) / 128.0;
        ASSERT_NEAR(out[k], (1 - f) * a + f * b, 1e-4) << k;
    }
}
