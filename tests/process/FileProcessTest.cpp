// The processing job: factors, length estimate, block loop, latency skip, abort and failures.
#include <algorithm>
#include <cmath>
#include <csignal>
#include <limits>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

#include <gtest/gtest.h>

#include "JobTestFiles.h"
#include "audio/DataFile.h"
#include "audio/WaveFile.h"
#include "engine/EngineDriver.h"
#include "process/KALO2FileProcess.h"
#include "support/Bytes.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

using namespace JobTest;
using Process::CKALO2FileProcess;

namespace {

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

// A mono or stereo source of `frames` frames at 44.1 kHz in a scratch folder.
class Source {
  public:
    explicit Source(Audio::u32 frames, Audio::u32 channels = 1, Audio::u32 bits = 16) {
        Channels data(channels);
        for (Audio::u32 c = 0; c < channels; ++c)
            data[c] = TestSupport::sine(frames, 220.0 * (c + 1), 44100.0, 0.5);
        writeWave(path(), makeFormat(channels, 44100, bits), data);
        cache = openCache(path());
    }
    std::string path() const { return dir.file("source.wav"); }
    std::string output(const std::string& name = "out.wav") const { return dir.file(name); }
    Audio::CAudioFileCache* get() { return cache.get(); }

  private:
    TestSupport::TempDir dir;
    std::unique_ptr<Audio::CAudioFileCache> cache;
};

struct Curves {
    CMarkPointArray time, pitch, formant;
};

// The expected length of a job over [start, end) whose curves (dynamic) or factors decide it.
std::uint64_t estimateOf(Source& source, const Curves& curves, bool dynamic, double time,
                         std::int64_t start = 0, std::int64_t end = -1) {
    CKALO2FileProcess job(nullptr, curves.time, curves.pitch, curves.formant);
    job.init({.timeFactor = time,
              .source = source.get(),
              .dynamic = dynamic,
              .quality = Engine::Quality::Medium,
              .startFrame = start,
              .endFrame = end});
    return job.getExpectedLength();
}

// Writes 32-bit samples so that the comparison with the engine is limited by float precision.
std::unique_ptr<Audio::CAudioFile> openWriter(const std::string& path, Audio::u32 channels) {
    auto writer = waveFile(path);
    const auto format = makeFormat(channels, 44100, 32);
    writer->open(Audio::Write, &format);
    return writer;
}

} // namespace

TEST(FileProcessLifecycle, ProcessWithoutInitIsALogicError) {
    Source source(5000);
    CKALO2FileProcess job(nullptr, {}, {}, {});
    auto writer = waveFile(source.output());
    EXPECT_EQ(TestSupport::errorText<std::logic_error>([&] { job.process(writer.get()); }),
              "CKALO2FileProcess::process() call init() befor process() please!");

    // Every run needs its own init.
    job.init({.source = source.get(), .quality = Engine::Quality::Medium});
    EXPECT_TRUE(job.process(writer.get()));
    auto second = waveFile(source.output("second.wav"));
    EXPECT_THROW(job.process(second.get()), std::logic_error);
}

TEST(FileProcessFactors, FixedFactorsAndPreservedFormants) {
    Source source(5000);
    CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init({.pitchFactor = 2.0,
              .timeFactor = 1.5,
              .formantFactor = 3.0,
              .source = source.get(),
              .quality = Engine::Quality::Medium});
    EXPECT_EQ(job.getPitchFactor(), 2.0);
    EXPECT_EQ(job.getTimeFactor(), 1.5);
    EXPECT_EQ(job.getFormantFactor(), 3.0);
    job.init({.pitchFactor = 2.0,
              .timeFactor = 1.5,
              .formantFactor = 3.0,
              .source = source.get(),
              .preserveFormants = true,
              .quality = Engine::Quality::Medium});
    EXPECT_EQ(job.getFormantFactor(), 0.5);
}

TEST(FileProcessFactors, DoubleLengthOverridesFactorsQualityAndCurves) {
    Source source(5000);
    Curves curves{curve({{0, 3.0f, LINEAR}}), curve({{0, 2.0f, LINEAR}}), {}};
    CKALO2FileProcess job(nullptr, curves.time, curves.pitch, curves.formant);
    job.init({.pitchFactor = 2.0,
              .timeFactor = 0.5,
              .formantFactor = 3.0,
              .source = source.get(),
              .dynamic = true,
              .preserveFormants = true,
              .quality = Engine::Quality::Fast,
              .doubleLength = true});
    EXPECT_EQ(job.getTimeFactor(), 2.0);
    EXPECT_EQ(job.getPitchFactor(), 1.0);
    EXPECT_EQ(job.getFormantFactor(), 1.0);
    EXPECT_EQ(job.getExpectedLength(), 10000u);

    auto writer = waveFile(source.output());
    ASSERT_TRUE(job.process(writer.get()));
    EXPECT_EQ(job.getTimeFactor(), 2.0) << "the curves were followed";
    EXPECT_EQ(job.getPitchFactor(), 1.0) << "the curves were followed";
}

TEST(FileProcessFactors, DynamicWithoutPointsRunsAtOne) {
    Source source(5000);
    CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init({.pitchFactor = 2.0,
              .timeFactor = 1.5,
              .formantFactor = 3.0,
              .source = source.get(),
              .dynamic = true,
              .quality = Engine::Quality::Medium});
    auto writer = waveFile(source.output());
    ASSERT_TRUE(job.process(writer.get()));
    EXPECT_EQ(job.getTimeFactor(), 1.0);
    EXPECT_EQ(job.getPitchFactor(), 1.0);
    EXPECT_EQ(job.getFormantFactor(), 1.0);
}

TEST(FileProcessFactors, DynamicPreservedFormantsFollowThePitchCurve) {
    Source source(5000);
    Curves curves{{}, curve({{0, 2.0f, LINEAR}}), curve({{0, 3.0f, LINEAR}})};
    CKALO2FileProcess job(nullptr, curves.time, curves.pitch, curves.formant);
    job.init({.source = source.get(),
              .dynamic = true,
              .preserveFormants = true,
              .quality = Engine::Quality::Medium});
    auto writer = waveFile(source.output());
    ASSERT_TRUE(job.process(writer.get()));
    EXPECT_EQ(job.getPitchFactor(), 2.0);
    EXPECT_EQ(job.getFormantFactor(), 0.5);
}

// Curves that no reader refused still reach the engine only within its ranges.
TEST(FileProcessFactors, CurveValuesAreKeptWithinTheEngineRanges) {
    Source source(4000);
    Curves curves{curve({{0, notANumber, LINEAR}}), curve({{0, 0.0f, LINEAR}}),
                  curve({{0, 1e9f, LINEAR}})};
    CKALO2FileProcess job(nullptr, curves.time, curves.pitch, curves.formant);
    job.init({.source = source.get(), .dynamic = true, .quality = Engine::Quality::Medium});
    auto writer = waveFile(source.output());
    ASSERT_TRUE(job.process(writer.get()));
    EXPECT_EQ(job.getTimeFactor(), 1.0);
    EXPECT_EQ(job.getPitchFactor(), 0.25);
    EXPECT_EQ(job.getFormantFactor(), 4.0);
    EXPECT_GT(framesOf(source.output()), 0u);
}

TEST(FileProcessEstimate, FixedIsTheTruncatedStretchedLength) {
    Source source(10000);
    EXPECT_EQ(estimateOf(source, {}, false, 1.5), 15000u);
    EXPECT_EQ(estimateOf(source, {}, false, 1.37, 1000, 4001), 4111u); // 3001 x 1.37 = 4111.37
    EXPECT_EQ(estimateOf(source, {}, false, 0.3333), 3333u);
}

// Worked by hand: each step yields trunc(512 / pitch) frames and moves trunc(out / time)
// source frames; the step that would pass the end adds trunc((end - position) x time).
TEST(FileProcessEstimate, DynamicStepsThroughTheCurves) {
    Source source(10000);
    const Curves none;
    EXPECT_EQ(estimateOf(source, none, true, 3.0), 10000u);

    // time 1.5: steps of 341 frames; 29 steps of 512, then 111 x 1.5 = 166.
    const Curves slower{curve({{0, 1.5f, LINEAR}}), {}, {}};
    EXPECT_EQ(estimateOf(source, slower, true, 1.0), 15014u);
    // Before frame 1000: 2 steps of 512, then 318 x 1.5 = 477; 15014 - 1501.
    EXPECT_EQ(estimateOf(source, slower, true, 1.0, 1000, -1), 13513u);

    // Pitch 4 (from a clamped 1e9): 128 frames a step of 85; 117 steps, then 55 x 1.5 = 82.
    const Curves high{curve({{0, 1.5f, LINEAR}}), curve({{0, 1e9f, LINEAR}}), {}};
    EXPECT_EQ(estimateOf(source, high, true, 1.0), 15058u);
    // Pitch 0.25 (from 0): 2048 frames a step of 1365; 7 steps, then 445 x 1.5 = 667.
    const Curves low{curve({{0, 1.5f, LINEAR}}), curve({{0, 0.0f, LINEAR}}), {}};
    EXPECT_EQ(estimateOf(source, low, true, 1.0), 15003u);
}

TEST(FileProcessEstimate, DegenerateTimeCurvesCannotStallIt) {
    Source source(10000);
    // A zero time factor counts as 0.1: steps of 5120 frames, 512 + 4880 x 0.1.
    EXPECT_EQ(estimateOf(source, {curve({{0, 0.0f, LINEAR}}), {}, {}}, true, 1.0), 1000u);
    EXPECT_EQ(estimateOf(source, {curve({{0, -2.0f, LINEAR}}), {}, {}}, true, 1.0), 1000u);
    EXPECT_EQ(estimateOf(source, {curve({{0, notANumber, LINEAR}}), {}, {}}, true, 1.0), 10000u);
    // Time factors stop at 128: steps of 4 frames, 2500 of them.
    EXPECT_EQ(estimateOf(source, {curve({{0, 1e30f, LINEAR}}), {}, {}}, true, 1.0), 1'280'000u);
    EXPECT_EQ(estimateOf(source, {}, false, 1e300), 1'280'000u);
}

// Larger factors would stall the engine's read position, and the job with it.
TEST(FileProcessFactors, HugeTimeFactorsStillReachTheEnd) {
    Source source(1000);
    const CMarkPointArray huge = curve({{0, 1e30f, LINEAR}});
    CKALO2FileProcess job(nullptr, huge, {}, {});
    job.init({.source = source.get(), .dynamic = true, .quality = Engine::Quality::Medium});
    auto writer = waveFile(source.output());
    ASSERT_TRUE(job.process(writer.get()));
    EXPECT_EQ(job.getTimeFactor(), Engine::kMaxTimeFactor);
    EXPECT_GT(framesOf(source.output()), 100'000u);
}

// The file holds what the engine returned minus its start-up latency: the same frames as a
// plain engine loop over the same samples.
// In both pitch modes: the job passes the mode on to the engine and drops its latency; in
// exact-pitch mode it ends at time × length (25000 frames) instead of with the engine's last
// call.
TEST(FileProcessOutput, MatchesTheEngineWithTheLatencyDropped) {
    for (const bool exact : {false, true}) {
        Source source(20000, 2);
        const Channels in = readWave(source.path());
        CKALO2FileProcess job(nullptr, {}, {}, {});
        job.init({.pitchFactor = 1.5,
                  .timeFactor = 1.25,
                  .source = source.get(),
                  .quality = Engine::Quality::Medium,
                  .exactPitch = exact});
        auto writer = openWriter(source.output(), 2);
        ASSERT_TRUE(job.process(writer.get()));
        EXPECT_FALSE(writer->isOpen());

        const auto expected = EngineTest::process(in, {1.25, 1.5, 1.0, 3, 44100.0f, exact});
        const Channels out = readWave(source.output());
        ASSERT_EQ(out[0].size(), exact ? 25000u : expected.out[0].size()) << exact;
        ASSERT_GT(expected.out[0].size(), 25000u) << exact;
        // By default every call returns trunc(512 / 1.5) = 341 frames; the latency is all
        // that is missing. In exact-pitch mode calls return 341 or 342.
        const auto all = expected.out[0].size() + KALO2_OutputLatency(1.5, 44100.0f, exact);
        if (!exact) {
            EXPECT_EQ(all % 341, 0u);
        }
        EXPECT_EQ(expected.constantFrames, !exact);
        for (std::size_t c = 0; c < 2; ++c)
            for (std::size_t i = 0; i < out[c].size(); ++i)
                ASSERT_NEAR(out[c][i], expected.out[c][i], 1e-6)
                    << exact << " channel " << c << " frame " << i;
    }
}

TEST(FileProcessOutput, ProcessesOnlyTheSelectedStretch) {
    Source source(20000);
    const Channels in = readWave(source.path());
    CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init({.pitchFactor = 0.8,
              .timeFactor = 0.9,
              .source = source.get(),
              .quality = Engine::Quality::Fast,
              .startFrame = 3000,
              .endFrame = 11000});
    auto writer = openWriter(source.output(), 1);
    ASSERT_TRUE(job.process(writer.get()));

    const EngineTest::Signal part(in[0].begin() + 3000, in[0].begin() + 11000);
    const auto expected = EngineTest::process({part}, {0.9, 0.8, 1.0, 2, 44100.0f});
    const Channels out = readWave(source.output());
    // The engine's output of the stretch ends short of 0.9 × 8000 frames: silence fed after
    // its end makes up the rest.
    ASSERT_LT(expected.out[0].size(), 7200u);
    ASSERT_GE(out[0].size(), 7200u);
    for (std::size_t i = 0; i < expected.out[0].size(); ++i)
        ASSERT_NEAR(out[0][i], expected.out[0][i], 1e-6) << "frame " << i;
}

// With nothing selected the loop still runs until the position passes the latency.
TEST(FileProcessOutput, EmptyStretchWritesOnlyWhatExceedsTheLatency) {
    Source source(20000);
    CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init({.source = source.get(),
              .quality = Engine::Quality::Medium,
              .startFrame = 5000,
              .endFrame = 5000});
    EXPECT_EQ(job.getExpectedLength(), 0u);
    auto writer = openWriter(source.output(), 1);
    ASSERT_TRUE(job.process(writer.get()));
    const auto expected = EngineTest::process({EngineTest::Signal()}, {});
    EXPECT_EQ(framesOf(source.output()), expected.out[0].size());
}

// A source shorter than the engine's latency still gives at least the promised length: its
// end is followed by silence rather than lost.
TEST(FileProcessOutput, ShortSourcesGiveAtLeastTheExpectedLength) {
    const struct {
        Audio::u32 frames;
        double time;
    } rows[] = {{441, 0.5}, {441, 0.25}, {1, 1.0}, {2999, 0.25}};
    for (const auto& row : rows) {
        Source source(row.frames);
        CKALO2FileProcess job(nullptr, {}, {}, {});
        job.init(
            {.timeFactor = row.time, .source = source.get(), .quality = Engine::Quality::Medium});
        auto writer = openWriter(source.output(), 1);
        ASSERT_TRUE(job.process(writer.get()));
        EXPECT_GT(job.getExpectedLength(), 0u) << row.frames;
        EXPECT_GE(framesOf(source.output()), job.getExpectedLength()) << row.frames;
    }
}

// Sources of 1 to 9 frames at small time factors are promised less than one frame: they still
// get at least one, and the result opens as a source like any other.
TEST(FileProcessOutput, TinySourcesGiveAtLeastOneFrame) {
    for (const Audio::u32 frames : {1u, 3u, 9u})
        for (const double time : {0.1, 0.25, 0.5}) {
            Source source(frames);
            CKALO2FileProcess job(nullptr, {}, {}, {});
            job.init(
                {.timeFactor = time, .source = source.get(), .quality = Engine::Quality::Fast});
            auto writer = openWriter(source.output(), 1);
            ASSERT_TRUE(job.process(writer.get()));
            EXPECT_NO_THROW(Audio::openSourceFile(source.output())) << frames << " at " << time;
        }
}

// One sample near the float's limit, infinities and NaN are taken as full scale and silence on
// the way into the engine: the output is what the clamped source gives, in every quality.
TEST(FileProcessOutput, SamplesBeyondFullScaleAreClampedInEveryQuality) {
    TestSupport::TempDir dir;
    const Audio::u32 frames = 30000;
    std::vector<float> wild = TestSupport::sine(frames, 330.0, 44100.0, 0.5);
    std::vector<float> clamped = wild;
    const struct {
        Audio::u32 at;
        float value, asClamped;
    } samples[] = {{1000, 3e38f, 1.0f},
                   {9000, -std::numeric_limits<float>::infinity(), -1.0f},
                   {17000, std::numeric_limits<float>::infinity(), 1.0f},
                   {25000, notANumber, 0.0f},
                   {frames - 1, -3.4e38f, -1.0f}};
    for (const auto& s : samples) {
        wild[s.at] = s.value;
        clamped[s.at] = s.asClamped;
    }
    writeWave(dir.file("wild.wav"), makeFormat(1, 44100, 32), {wild});
    writeWave(dir.file("clamped.wav"), makeFormat(1, 44100, 32), {clamped});
    for (const auto quality : {Engine::Quality::Monophonic, Engine::Quality::Fast,
                               Engine::Quality::Medium, Engine::Quality::Best}) {
        Channels out[2];
        for (int k = 0; k < 2; ++k) {
            auto cache = openCache(dir.file(k == 0 ? "wild.wav" : "clamped.wav"));
            CKALO2FileProcess job(nullptr, {}, {}, {});
            job.init({.pitchFactor = 1.5,
                      .timeFactor = 1.25,
                      .source = cache.get(),
                      .quality = quality});
            auto writer = openWriter(dir.file("out.wav"), 1);
            ASSERT_TRUE(job.process(writer.get()));
            out[k] = readWave(dir.file("out.wav"));
        }
        // Equal to the float rounding of the transforms, whose plans may differ between runs.
        ASSERT_EQ(out[0][0].size(), out[1][0].size()) << static_cast<int>(quality);
        for (std::size_t i = 0; i < out[0][0].size(); ++i)
            ASSERT_NEAR(out[0][0][i], out[1][0][i], 1e-5)
                << static_cast<int>(quality) << " at " << i;
    }
}

namespace {
// Asks the job to stop at the given report, the way the progress window's Cancel does.
class AbortingProgress : public Process::ProcessingProgress {
  public:
    explicit AbortingProgress(int stopAt) : abortAt(stopAt) {}
    CKALO2FileProcess* job = nullptr;
    int reports = 0;
    double last = -1.0;
    void setPercent(double percent) override {
        last = percent;
        if (++reports == abortAt) job->requestAbort();
    }

  private:
    int abortAt;
};
} // namespace

TEST(FileProcessAbort, StopsEarlyAndLeavesAClosedValidFile) {
    Source source(60000);
    AbortingProgress progress(10);
    CKALO2FileProcess job(&progress, {}, {}, {});
    progress.job = &job;
    job.init({.timeFactor = 2.0, .source = source.get(), .quality = Engine::Quality::Medium});
    auto writer = waveFile(source.output());
    EXPECT_FALSE(job.process(writer.get()));
    EXPECT_TRUE(job.wasAborted());
    EXPECT_FALSE(writer->isOpen());
    EXPECT_EQ(progress.last, 100.0);
    const auto frames = framesOf(source.output());
    EXPECT_GT(frames, 0u);
    EXPECT_LT(frames, 60000u);
}

// A request made between init and process (Ctrl-C while the destination is being opened)
// must not be lost: the first block boundary honours it.
TEST(FileProcessAbort, RequestBeforeProcessStopsAtTheFirstBlock) {
    Source source(20000);
    CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init({.source = source.get(), .quality = Engine::Quality::Medium});
    job.requestAbort();
    auto writer = waveFile(source.output());
    EXPECT_FALSE(job.process(writer.get()));
    EXPECT_TRUE(job.wasAborted());
    EXPECT_EQ(framesOf(source.output()), 0u);
}

TEST(FileProcessAbort, ACompleteRunIsNotAborted) {
    Source source(8000);
    AbortingProgress progress(-1);
    CKALO2FileProcess job(&progress, {}, {}, {});
    job.init({.source = source.get(), .quality = Engine::Quality::Medium});
    auto writer = waveFile(source.output());
    EXPECT_TRUE(job.process(writer.get()));
    EXPECT_FALSE(job.wasAborted());
    EXPECT_EQ(progress.last, 100.0);
}

// Eight channels, the last one included, are processed; a ninth is refused at init and leaves
// the job unusable.
TEST(FileProcessFailures, EightChannelsAreProcessedNineRefusedAtInit) {
    Source eight(3000, 8);
    CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init({.source = eight.get(), .quality = Engine::Quality::Medium});
    auto writer = waveFile(eight.output());
    ASSERT_TRUE(job.process(writer.get()));
    const Channels out = readWave(eight.output());
    ASSERT_EQ(out.size(), 8u);
    EXPECT_GT(EngineTest::rms(out[7], 0, out[7].size()), 0.1) << "the last channel is silent";

    Source nine(2000, 9);
    CKALO2FileProcess refused(nullptr, {}, {}, {});
    EXPECT_NE(TestSupport::errorText<std::runtime_error>([&] {
                  refused.init({.source = nine.get(), .quality = Engine::Quality::Medium});
              }).find("9 channels"),
              std::string::npos);
    writer = waveFile(nine.output());
    EXPECT_THROW(refused.process(writer.get()), std::logic_error);
}

// A curve point of unknown style fails inside the loop: the file is still closed and readable.
TEST(FileProcessFailures, LoopFailureClosesTheDestinationAndRethrows) {
    Source source(20000);
    // The unknown style shapes the segment that ends at frame 15000, reached after 10000.
    const CMarkPointArray broken = curve({{10000, 2.0f, LINEAR}, {15000, 1.0f, 8}});
    CKALO2FileProcess job(nullptr, {}, {}, broken);
    job.init({.source = source.get(), .dynamic = true, .quality = Engine::Quality::Medium});
    auto writer = waveFile(source.output());
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { job.process(writer.get()); }),
              "CKALO2FileProcess::process_ScaleArray: unknown Type!");
    EXPECT_FALSE(writer->isOpen());
    EXPECT_GT(framesOf(source.output()), 5000u);
}

// A destination that fails part way and then cannot be closed either: the job throws the first
// failure and keeps the second for the caller to show.
TEST(FileProcessFailures, AFailureWhileClosingAfterAFailureIsKept) {
    struct BrokenWriter : Audio::CWaveFile {
        explicit BrokenWriter(const std::string& path, bool standard)
            : CWaveFile(Audio::CDataFile::forPath(path)), standardFailure(standard) {}
        void write(float** buffers, Audio::u32 count, Audio::u32* written) override {
            if (total > 0) throw std::runtime_error("disk gone");
            CWaveFile::write(buffers, count, written);
            total += *written;
        }
        void close() override {
            if (std::exchange(failClose, false)) {
                if (standardFailure) throw std::runtime_error("cannot close");
                throw 42;
            }
            CWaveFile::close();
        }
        Audio::u64 total = 0;
        bool failClose = true, standardFailure;
    };
    for (const bool standard : {true, false}) {
        Source source(200000);
        CKALO2FileProcess job(nullptr, {}, {}, {});
        job.init({.source = source.get(), .quality = Engine::Quality::Medium});
        BrokenWriter writer(source.output(), standard);
        EXPECT_THROW(job.process(&writer), std::runtime_error);
        EXPECT_EQ(job.getCloseFailure(),
                  standard ? std::string("cannot close") : CKALO2FileProcess::kUnknownCloseFailure);
    }
}

// Another program cuts the source while the job reads it: the job fails rather than finishing
// the file with silence.
TEST(FileProcessFailures, ASourceCutWhileProcessedFails) {
    Source source(200000);
    CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init({.source = source.get(), .quality = Engine::Quality::Medium});
    ASSERT_EQ(::truncate(source.path().c_str(), 44 + 2 * 150000), 0);
    auto writer = waveFile(source.output());
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { job.process(writer.get()); }),
              "CKALO2FileProcess::process() the source file became shorter while "
              "it was processed! it may have been changed by another program.");
    EXPECT_FALSE(writer->isOpen());
}

namespace {
// Ends its own process at once, with no chance to close anything, once the job reports
// `percent`: a kill at a point the test chooses.
class KillingProgress : public Process::ProcessingProgress {
  public:
    explicit KillingProgress(double at) : killAt(at) {}
    void setPercent(double percent) override {
        if (percent >= killAt) ::raise(SIGKILL);
    }

  private:
    double killAt;
};

// The frames a killed writer's header claims, and the frames its file holds.
std::pair<std::uint64_t, std::uint64_t>
claimedAndHeld(const std::string& path, Audio::FileType type, std::uint32_t bytesPerFrame) {
    const std::vector<unsigned char> b = TestSupport::readBytes(path);
    if (type == Audio::WavType)
        return {TestSupport::le32At(b, 40) / bytesPerFrame, (b.size() - 44) / bytesPerFrame};
    // AIFF: the frame count of COMM, and what the SSND size leaves of it.
    const std::uint64_t counted = TestSupport::be32At(b, 22);
    const std::uint64_t sized = (TestSupport::be32At(b, 42) - 8) / bytesPerFrame;
    return {std::max(counted, sized), (b.size() - 54) / bytesPerFrame};
}
} // namespace

// A process killed while it writes (the machine's OOM killer, kill -9) leaves a file whose
// header claims no more than it holds and at most one second less.
TEST(FileProcessOutput, AKilledJobLeavesAHeaderAtMostASecondBehind) {
    for (const Audio::FileType type : {Audio::WavType, Audio::AiffType}) {
        Source source(8000 * 30, 2);
        const std::string out = source.output(type == Audio::WavType ? "out.wav" : "out.aif");
        const pid_t child = ::fork();
        if (child == 0) {
            KillingProgress progress(60.0);
            CKALO2FileProcess job(&progress, {}, {}, {});
            job.init({.timeFactor = 2.0, .source = source.get(), .quality = Engine::Quality::Fast});
            auto writer = Audio::createAudioFile(out, type);
            const auto format = makeFormat(2, 44100, 16);
            writer->open(Audio::Write, &format);
            job.process(writer.get());
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        const auto [claimed, held] = claimedAndHeld(out, type, 4);
        EXPECT_GT(held, 2 * 44100u) << out; // far enough for the header to have fallen behind
        EXPECT_LE(claimed, held) << out;
        EXPECT_LT(held - claimed, 44100u) << out;
    }
}
