// Pitch accuracy of both modes on short sines: the default mode lands on the quantised ratio
// 512k / trunc(512k / p) the design predicts, exact-pitch mode on the request itself. A job in
// exact-pitch mode also gives exactly the asked duration, in line with its source, and follows
// the quality setting.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "JobTestFiles.h"
#include "engine/EngineDriver.h"
#include "engine/kalo2/EngineParameters.h"
#include "process/KALO2FileProcess.h"
#include "process/RowProcessor.h"
#include "support/TestSupport.h"

using namespace EngineTest;

namespace {
constexpr double kRate = 44100.0;
constexpr std::size_t kLength = 44100 + 11025;

struct Measured {
    double frequency;
    double distortion;
    std::size_t frames;
};

Measured shifted(double tone, int semitones, bool exact) {
    Settings s;
    s.pitch = Process::pitchFactorOf(semitones, 0);
    s.exactPitch = exact;
    const Output run = process({EngineTest::tone(kLength, tone, kRate)}, s);
    const Signal& out = run.out[0];
    const double f = localFrequency(out, 8000, 50000, tone * s.pitch, kRate);
    return {f, distortionDb(out, 8000, 50000, f, kRate), out.size()};
}
} // namespace

// Default mode: the 440 Hz tone lands on the quantised ratio (+3.65 cents at +7, +8.73 at
// +19); at 1 kHz the medium search's coarse periods add up to a few cents of their own.
// Exact-pitch mode: both tones within 0.2 cents of the request, no more distortion.
TEST(ExactPitch, BothModesLandWhereTheyShould) {
    for (const double tone : {440.0, 1000.0})
        for (const int semitones : {7, 12, 19, -5, -12}) {
            const double request = Process::pitchFactorOf(semitones, 0);
            const int m = Engine::outputFramesFor(request, 1);
            const Measured plain = shifted(tone, semitones, false);
            const Measured exact = shifted(tone, semitones, true);
            const std::string where = std::to_string(tone) + " Hz " + std::to_string(semitones);
            if (tone == 440.0) {
                EXPECT_LT(std::fabs(cents(plain.frequency, tone * 512.0 / m)), 0.35) << where;
            }
            EXPECT_LT(std::fabs(cents(exact.frequency, tone * request)), 0.2) << where;
            EXPECT_LT(exact.distortion, plain.distortion + 1.0) << where;
            // Both follow the time factor to within one call's output.
            for (const Measured& run : {plain, exact}) {
                EXPECT_NEAR(static_cast<double>(run.frames), static_cast<double>(kLength), m + 1)
                    << where;
            }
        }
}

namespace {
// What a job in exact-pitch mode writes for a mono source at 44.1 kHz (32-bit, so that nothing
// is lost to the sample format).
JobTest::Channels exactJob(const JobTest::Channels& in, Process::JobParameters parameters) {
    TestSupport::TempDir dir;
    JobTest::writeWave(dir.file("in.wav"), JobTest::makeFormat(1, 44100, 32), in);
    const auto cache = JobTest::openCache(dir.file("in.wav"));
    parameters.source = cache.get();
    parameters.exactPitch = true;
    Process::CKALO2FileProcess job(nullptr, {}, {}, {});
    job.init(parameters);
    const auto writer = JobTest::waveFile(dir.file("out.wav"));
    const auto format = JobTest::makeFormat(1, 44100, 32);
    writer->open(Audio::Write, &format);
    EXPECT_TRUE(job.process(writer.get()));
    return JobTest::readWave(dir.file("out.wav"));
}

Signal noise(std::size_t frames) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    Signal x(frames);
    for (float& v : x)
        v = uniform(random);
    return x;
}
} // namespace

// Time × the source's length, to the frame, whatever the pitch, formants, range or the
// double-length option.
TEST(ExactPitchJob, TheDurationIsTimeTimesTheSourceLength) {
    const struct {
        double time;
        int semitones;
        bool formants, doubleLength;
        std::int64_t start, end;
    } rows[] = {{1.5, 0, false, false, 0, -1},  {1.0, 7, false, false, 0, -1},
                {1.0, -5, false, false, 0, -1}, {1.0, 12, true, false, 0, -1},
                {0.8, 3, false, false, 0, -1},  {0.33, 0, false, false, 0, -1},
                {1.0, 0, false, true, 0, -1},   {1.25, -2, false, false, 3000, 30000}};
    const Signal in = tone(44100, 440.0, kRate);
    for (const auto& row : rows) {
        const auto out = exactJob({in}, {.pitchFactor = Process::pitchFactorOf(row.semitones, 0),
                                         .timeFactor = row.time,
                                         .preserveFormants = row.formants,
                                         .quality = Engine::Quality::Medium,
                                         .doubleLength = row.doubleLength,
                                         .startFrame = row.start,
                                         .endFrame = row.end});
        const std::int64_t length = (row.end < 0 ? 44100 : row.end) - row.start;
        const double time = row.doubleLength ? 2.0 : row.time;
        const std::string where = std::to_string(row.time) + " " + std::to_string(row.semitones);
        EXPECT_NEAR(static_cast<double>(out[0].size()), std::trunc(length * time), 1.0) << where;
    }
}

// At time and pitch 1 the result is the source itself, neither early nor late.
TEST(ExactPitchJob, TheResultLinesUpWithTheSource) {
    const Signal in = noise(30000);
    const Signal out = exactJob({in}, {.quality = Engine::Quality::Medium})[0];
    ASSERT_EQ(out.size(), in.size());
    int offset = 0;
    double best = -1.0;
    for (int lag = -30; lag <= 30; ++lag) {
        double sum = 0.0;
        for (std::size_t i = 5000; i < 25000; ++i)
            sum += double{in[i]} * out[static_cast<std::size_t>(static_cast<int>(i) + lag)];
        if (sum > best) best = sum, offset = lag;
    }
    EXPECT_LE(std::abs(offset), 1);
}

// Exact-pitch mode keeps each quality's own search: fast and medium take the same path, best
// and monophonic their own.
TEST(ExactPitchJob, FollowsTheQualitySetting) {
    const Signal in = noise(30000);
    const auto run = [&](Engine::Quality quality) {
        return exactJob({in}, {.pitchFactor = 1.2, .timeFactor = 1.25, .quality = quality})[0];
    };
    const Signal medium = run(Engine::Quality::Medium);
    EXPECT_EQ(run(Engine::Quality::Fast), medium);
    EXPECT_NE(run(Engine::Quality::Best), medium);
    EXPECT_NE(run(Engine::Quality::Monophonic), medium);
}
