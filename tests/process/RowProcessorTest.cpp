// One batch row: its factors from the row's values, and the whole row into a named file.
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "JobTestFiles.h"
#include "process/RowProcessor.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

using namespace JobTest;
using namespace Process;

TEST(RowFactors, TimeFromEachUnit) {
    EXPECT_DOUBLE_EQ(timeFactorOf(30.0, Seconds, 60.0, -1.0), 0.5);
    EXPECT_DOUBLE_EQ(timeFactorOf(150.0, Percent, 60.0, -1.0), 1.5);
    EXPECT_DOUBLE_EQ(timeFactorOf(100.0, Bpm, 60.0, 120.0), 1.2);
}

TEST(RowFactors, TimeRefusesValuesWithoutAUsableFactor) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(timeFactorOf(0.0, Percent, 60.0, 120.0), std::invalid_argument);
    EXPECT_THROW(timeFactorOf(-50.0, Percent, 60.0, 120.0), std::invalid_argument);
    EXPECT_THROW(timeFactorOf(nan, Seconds, 60.0, 120.0), std::invalid_argument);
    EXPECT_THROW(timeFactorOf(inf, Percent, 60.0, 120.0), std::invalid_argument);
    EXPECT_THROW(timeFactorOf(0.0, Bpm, 60.0, 120.0), std::invalid_argument);
    EXPECT_THROW(timeFactorOf(100.0, Bpm, 60.0, -1.0), std::invalid_argument) << "no source BPM";
    EXPECT_THROW(timeFactorOf(10.0, Seconds, 0.0, 120.0), std::invalid_argument) << "empty file";
}

TEST(RowFactors, PitchFromSemitonesAndCents) {
    EXPECT_NEAR(pitchFactorOf(12, 0), 2.0, 2.0 * FLT_EPSILON);
    EXPECT_NEAR(pitchFactorOf(-12, 0), 0.5, 0.5 * FLT_EPSILON);
    EXPECT_EQ(pitchFactorOf(0, 0), 1.0);
    const double expected = std::pow(2.0, -7.5 / 12.0);
    EXPECT_NEAR(pitchFactorOf(-7, -50), expected, expected * 4 * FLT_EPSILON);
    EXPECT_NEAR(pitchFactorOf(0, 1200), 2.0, 2.0 * FLT_EPSILON);
}

namespace {

struct RowFixture {
    TestSupport::TempDir dir;
    std::unique_ptr<Audio::CAudioFileCache> cache;
    RowSource source;

    explicit RowFixture(Audio::u32 frames) {
        const std::string path = dir.file("Song.wav");
        writeWave(path, makeFormat(1, 44100, 16), {TestSupport::sine(frames, 330.0, 44100.0)});
        cache = openCache(path);
        source.cache = cache.get();
        source.memberPaths = {path};
    }
};

} // namespace

TEST(RowProcessing, NamesTheFileAfterTheFactorsAndClosesTheSource) {
    RowFixture fixture(22050);
    RowSettings row;
    row.semitones = -2;
    row.cents = -50;
    row.timeValue = 1.0; // one second for a half-second file
    row.timeUnit = Seconds;
    RecordingDialogs dialogs; // cancels every question
    const RowResult result =
        processRow(row, fixture.source, {}, Engine::Quality::Fast, dialogs, nullptr, RowHooks{}, nullptr);
    ASSERT_TRUE(result.destination);
    EXPECT_FALSE(result.aborted);
    EXPECT_EQ(result.destinationPaths,
              std::vector<std::string>{fixture.dir.file("Song P-2.-50 T2.00 2.wav")});
    EXPECT_FALSE(fixture.cache->file->isOpen());
    const auto frames = framesOf(result.destinationPaths[0]);
    EXPECT_GT(frames, 44100u - 2048u);
}

TEST(RowProcessing, CurvesKeepTheFactorsOutOfTheName) {
    RowFixture fixture(8000);
    RowSettings row;
    row.useMarkPoints = true;
    row.curves[0] = curve({{0, 1.5f, LINEAR}});
    RecordingDialogs dialogs; // cancels every question
    NamingSettings naming;
    naming.targetDirectory = (fixture.dir.path() / "out").string();
    std::filesystem::create_directory(naming.targetDirectory);
    const RowResult result =
        processRow(row, fixture.source, naming, Engine::Quality::Medium, dialogs, nullptr, RowHooks{}, nullptr);
    ASSERT_TRUE(result.destination);
    EXPECT_EQ(result.destinationPaths,
              std::vector<std::string>{naming.targetDirectory + "/Song 2.wav"});
}

TEST(RowProcessing, CancelledNamingGivesNoDestination) {
    RowFixture fixture(4000);
    RowSettings row;
    NamingSettings naming;
    naming.includePitch = naming.includeTime = naming.includeIndex = false;
    RecordingDialogs dialogs; // cancels every question
    // Without any part the name is the source's own, which exists.
    const RowResult result =
        processRow(row, fixture.source, naming, Engine::Quality::Medium, dialogs, nullptr, RowHooks{}, nullptr);
    EXPECT_FALSE(result.destination);
    EXPECT_EQ(framesOf(fixture.source.memberPaths[0]), 4000u) << "the source was touched";
}

TEST(RowProcessing, RefusesARequestBeyondTheRangeBeforeMakingAFile) {
    RowFixture fixture(4410);
    RowSettings row;
    row.timeValue = 12.8001; // 128 times the source's 0.1 s and a little more
    row.timeUnit = Seconds;
    RecordingDialogs dialogs; // cancels every question
    EXPECT_THROW(processRow(row, fixture.source, {}, Engine::Quality::Medium, dialogs, nullptr, RowHooks{}, nullptr),
                 std::out_of_range);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fixture.dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}
