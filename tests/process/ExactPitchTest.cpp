// Pitch accuracy of both modes on short sines: the default mode lands on the quantised ratio
// 512k / trunc(512k / p) the design predicts, exact-pitch mode on the request itself.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/EngineDriver.h"
#include "engine/kalo2/EngineParameters.h"
#include "process/RowProcessor.h"

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
