// One batch row: its factors from the row's values, and the whole row into a named file.
#include <cfloat>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <utility>

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
    const RowResult result = processRow(row, fixture.source, {}, Engine::Quality::Fast, dialogs,
                                        nullptr, RowHooks{}, nullptr);
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
    const RowResult result = processRow(row, fixture.source, naming, Engine::Quality::Medium,
                                        dialogs, nullptr, RowHooks{}, nullptr);
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
    const RowResult result = processRow(row, fixture.source, naming, Engine::Quality::Medium,
                                        dialogs, nullptr, RowHooks{}, nullptr);
    EXPECT_FALSE(result.destination);
    EXPECT_EQ(framesOf(fixture.source.memberPaths[0]), 4000u) << "the source was touched";
}

TEST(RowProcessing, RefusesARequestBeyondTheRangeBeforeMakingAFile) {
    RowFixture fixture(4410);
    RowSettings row;
    row.timeValue = 12.8001; // 128 times the source's 0.1 s and a little more
    row.timeUnit = Seconds;
    RecordingDialogs dialogs; // cancels every question
    EXPECT_THROW(processRow(row, fixture.source, {}, Engine::Quality::Medium, dialogs, nullptr,
                            RowHooks{}, nullptr),
                 std::out_of_range);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fixture.dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

namespace {

// Stops each job as soon as it starts: before its first frame.
class StopAtOnce : public RowObserver {
  public:
    void jobStarted(CKALO2FileProcess& job) override { job.requestAbort(); }
    void jobEnded() override {}
};

// Runs `change` once the job has reported `percent`.
class ChangeAt : public ProcessingProgress {
  public:
    ChangeAt(double at, std::function<void()> action) : percent(at), change(std::move(action)) {}
    void setPercent(double p) override {
        if (p >= percent && change) std::exchange(change, nullptr)();
    }

  private:
    double percent;
    std::function<void()> change;
};

std::size_t filesIn(const TestSupport::TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                  std::filesystem::directory_iterator()));
}

} // namespace

// A result that its format cannot hold is refused before a file is made (and before the job
// starts, which is stopped at once here should it start all the same). WAV grows into RF64;
// AIFF counts in 32 bits.
TEST(RowProcessing, RefusesAResultBeyondItsFormatBeforeMakingAFile) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("Long.wav");
    writeWave(path, makeFormat(2, 8000, 16), {{0.5f}, {0.5f}});
    std::vector<unsigned char> header = TestSupport::readBytes(path);
    const std::uint32_t frames = 400000000; // 1.6 GB of stereo, a hole in the file
    for (int i = 0; i < 4; ++i)
        header[40 + i] = static_cast<unsigned char>((frames * 4) >> (8 * i));
    TestSupport::writeBytes(path, header);
    std::filesystem::resize_file(path, 44 + std::uintmax_t{frames} * 4);
    auto cache = openCache(path);
    RowSettings row;
    row.timeValue = 300.0; // 4.8 GB
    RecordingDialogs dialogs;
    StopAtOnce stop;
    for (const bool split : {false, true}) {
        RowSource source{cache.get(), {path, dir.file("R.wav")}, split, 1};
        NamingSettings naming;
        naming.format = Audio::AiffType;
        const std::string text = TestSupport::errorText<std::runtime_error>([&] {
            processRow(row, source, naming, Engine::Quality::Fast, dialogs, nullptr,
                       {&stop, nullptr}, nullptr);
        });
        // Each file of a split set holds half: 2.4 GB fit.
        EXPECT_EQ(text.rfind(split ? "(no exception)" : "the result would hold 4.47 GiB of samples", 0),
                  0u)
            << text;
        EXPECT_EQ(filesIn(dir), 1u) << split;
    }
}

// Stopped before its first frame, a job leaves no file: a file without frames is no sound file.
TEST(RowProcessing, AJobStoppedBeforeItsFirstFrameLeavesNoFile) {
    RowFixture fixture(44100);
    StopAtOnce stop;
    RecordingDialogs dialogs;
    std::vector<std::string> partial;
    const RowResult result = processRow({}, fixture.source, {}, Engine::Quality::Fast, dialogs,
                                        nullptr, {&stop, nullptr}, &partial);
    EXPECT_TRUE(result.aborted);
    EXPECT_FALSE(result.failure);
    EXPECT_FALSE(result.destination);
    EXPECT_TRUE(partial.empty());
    EXPECT_EQ(filesIn(fixture.dir), 1u);
}

// A source overwritten in place while it is processed, with the same length, would give a
// result that mixes the old and the new sound: the job fails, naming the source, and the
// result goes.
TEST(RowProcessing, ASourceChangedWhileProcessedFailsAndLeavesNoResult) {
    RowFixture fixture(88200);
    const std::string path = fixture.source.memberPaths[0];
    const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), longAgo, 0), 0);
    ChangeAt overwrite(30.0, [&] {
        writeWave(fixture.dir.file("other.wav"), makeFormat(1, 44100, 16),
                  {TestSupport::sine(88200, 550.0, 44100.0)});
        TestSupport::writeBytes(path, TestSupport::readBytes(fixture.dir.file("other.wav")));
        std::filesystem::remove(fixture.dir.file("other.wav"));
    });
    RecordingDialogs dialogs;
    std::vector<std::string> partial;
    const RowResult result = processRow({}, fixture.source, {}, Engine::Quality::Fast, dialogs,
                                        &overwrite, RowHooks{}, &partial);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(TestSupport::errorText([&] { std::rethrow_exception(result.failure); }),
              "CKALO2FileProcess::process() the source file was changed while it was processed! "
              "it may have been changed by another program. The result would mix the old and the "
              "new sound and was not kept: process the file again.\n FILE:" +
                  path);
    EXPECT_FALSE(result.destination);
    EXPECT_TRUE(partial.empty());
    EXPECT_EQ(filesIn(fixture.dir), 1u);
}
