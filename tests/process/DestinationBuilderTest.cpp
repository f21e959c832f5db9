// Opening destinations: unique names, the naming dialog, the space check and reservation.
#include <filesystem>

#include <gtest/gtest.h>

#include "JobTestFiles.h"
#include "process/KALODestinationFileBuilder.h"
#include "support/TestSupport.h"

using namespace JobTest;
using Process::CKALODestinationFileBuilder;

namespace {

// A volume with a given number of free bytes, per path.
class TightBuilder : public CKALODestinationFileBuilder {
  public:
    using CKALODestinationFileBuilder::CKALODestinationFileBuilder;
    std::uint64_t free = 0;
    std::string roomyPath; // a path on a volume with plenty of space
  protected:
    std::uint64_t freeBytes(const std::string& path) override {
        return path == roomyPath ? 1u << 30 : free;
    }
};

const char* const shortOfSpace =
    "CKALODestinationFileBuilder::CheckForSufficientDiskSpace() You do not have sufficient disk "
    "space!";
const char* const aborted =
    "CKALODestinationFileBuilder::CheckFileSpace_And_ReopenSaveDialog() process will be aborted!";

void touch(const std::string& path) {
    TestSupport::writeBytes(path, {'x'});
}

// Fills a builder for one 16-bit source of the given channels beside its sources.
void describeSource(CKALODestinationFileBuilder& builder, std::vector<std::string> sources,
                    Audio::u32 channels, bool split) {
    builder.format = makeFormat(channels, 44100, 16);
    builder.names.semitones = 1.0f;
    builder.names.cents = 50.0f;
    builder.names.timeFactor = 1.5f;
    builder.expectedLength = 1000;
    builder.memberCount = channels;
    builder.sourcePaths = std::move(sources);
    builder.split = split;
}

} // namespace

// The first free index from 2 up names the file; no dialog while one of 2..9 is free.
TEST(DestinationNaming, FirstFreeIndexFromTwo) {
    struct Row {
        std::vector<int> taken;
        int expected;
    };
    for (const Row& r : std::vector<Row>{
             {{}, 2}, {{3}, 2}, {{2, 3}, 4}, {{2, 4}, 3}, {{2, 3, 4, 5, 6, 7, 8}, 9}}) {
        TestSupport::TempDir dir;
        for (int n : r.taken)
            touch(dir.file("SoundFile P1.50 T1.50 " + std::to_string(n) + ".wav"));
        RecordingDialogs dialogs;
        CKALODestinationFileBuilder builder(dialogs);
        describeSource(builder, {dir.file("SoundFile.wav")}, 2, false);
        std::unique_ptr<Audio::CAudioFile> writer = builder.build();
        ASSERT_TRUE(writer);
        EXPECT_EQ(builder.destinationPaths.at(0),
                  dir.file("SoundFile P1.50 T1.50 " + std::to_string(r.expected) + ".wav"));
        EXPECT_TRUE(writer->isOpen());
        EXPECT_TRUE(dialogs.offered.empty());
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

// Another run that takes a name between this build's look and its claim keeps its file: the
// build moves on to the next index, or asks again for a name chosen in the dialog.
TEST(DestinationNaming, ANameTakenBetweenTheLookAndTheClaimIsLeftToItsTaker) {
    class RacedBuilder : public CKALODestinationFileBuilder {
      public:
        using CKALODestinationFileBuilder::CKALODestinationFileBuilder;
        std::string raced; // the other run claims this name right after the look

      protected:
        bool exists(const std::string& path) override {
            const bool there = CKALODestinationFileBuilder::exists(path);
            if (path == raced) TestSupport::writeBytes(path, {'o', 't', 'h', 'e', 'r'});
            return there;
        }
    };
    const std::vector<unsigned char> theirs{'o', 't', 'h', 'e', 'r'};
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    RacedBuilder builder(dialogs);
    describeSource(builder, {dir.file("SoundFile.wav")}, 1, false);
    builder.raced = dir.file("SoundFile P1.50 T1.50 2.wav");
    ASSERT_TRUE(builder.build());
    EXPECT_EQ(builder.destinationPaths.at(0), dir.file("SoundFile P1.50 T1.50 3.wav"));
    EXPECT_EQ(TestSupport::readBytes(builder.raced), theirs);
    EXPECT_TRUE(dialogs.offered.empty());

    for (int n = 3; n <= 9; ++n)
        touch(dir.file("SoundFile P1.50 T1.50 " + std::to_string(n) + ".wav"));
    builder.raced = dir.file("chosen.wav");
    dialogs.answers = {builder.raced, builder.raced};
    ASSERT_TRUE(builder.build());
    // Asked again, the dialog asks before replacing the file that is there now.
    EXPECT_EQ(dialogs.offered.size(), 2u);
    EXPECT_EQ(builder.destinationPaths.at(0), builder.raced);
}

TEST(DestinationNaming, AllNineTakenOffersIndexTenInTheDialog) {
    TestSupport::TempDir dir;
    for (int n = 2; n <= 9; ++n)
        touch(dir.file("SoundFile P1.50 T1.50 " + std::to_string(n) + ".wav"));
    RecordingDialogs dialogs;
    dialogs.answers = {dir.file("chosen.wav")};
    CKALODestinationFileBuilder builder(dialogs);
    describeSource(builder, {dir.file("SoundFile.wav")}, 1, false);
    std::unique_ptr<Audio::CAudioFile> writer = builder.build();
    ASSERT_TRUE(writer);
    ASSERT_EQ(dialogs.offered.size(), 1u);
    EXPECT_EQ(dialogs.offered[0], dir.file("SoundFile P1.50 T1.50 10.wav"));
    EXPECT_EQ(dialogs.extensions[0], "wav");
    EXPECT_EQ(builder.destinationPaths.at(0), dir.file("chosen.wav"));
}

TEST(DestinationNaming, CancelledDialogGivesNoDestination) {
    TestSupport::TempDir dir;
    touch(dir.file("SoundFile.aif"));
    RecordingDialogs dialogs;
    CKALODestinationFileBuilder builder(dialogs);
    describeSource(builder, {dir.file("SoundFile.wav")}, 1, false);
    builder.fileType = 2;
    builder.names.includePitch = builder.names.includeTime = builder.names.includeIndex = false;
    builder.sourcePaths = {dir.file("SoundFile.aif")};
    // Without the index every try gives the same, taken name: straight to the dialog.
    EXPECT_EQ(builder.build(), nullptr);
    ASSERT_EQ(dialogs.offered.size(), 1u);
    EXPECT_EQ(dialogs.offered[0], dir.file("SoundFile.aif"));
    EXPECT_EQ(dialogs.extensions[0], "aif");
    EXPECT_TRUE(builder.destinationPaths.at(0).empty());
}

TEST(DestinationSpace, SplitStereoChecksHalfTheBytesPerMember) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    TightBuilder builder(dialogs);
    describeSource(builder, {dir.file("Take L.wav"), dir.file("Take R.wav")}, 2, true);
    // 1000 frames of 16-bit stereo: 4000 bytes, 2000 per member file.
    builder.free = 2000;
    std::unique_ptr<Audio::CAudioFile> writer = builder.build();
    ASSERT_TRUE(writer);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(builder.destinationPaths,
              (std::vector<std::string>{dir.file("Take L P1.50 T1.50 2.wav"),
                                        dir.file("Take R P1.50 T1.50 2.wav")}));
    // The writer spreads the channels over two mono files.
    const Channels frames{std::vector<float>(100, 0.25f), std::vector<float>(100, -0.5f)};
    float* pointers[] = {const_cast<float*>(frames[0].data()),
                         const_cast<float*>(frames[1].data())};
    Audio::u32 written = 0;
    writer->write(pointers, 100, &written);
    writer->close();
    EXPECT_EQ(readWave(builder.destinationPaths[0]), Channels{frames[0]});
    EXPECT_EQ(readWave(builder.destinationPaths[1]), Channels{frames[1]});

    RecordingDialogs tightDialogs;
    TightBuilder tighter(tightDialogs);
    describeSource(tighter, {dir.file("Take L.wav"), dir.file("Take R.wav")}, 2, true);
    tighter.free = 1999;
    EXPECT_THROW(tighter.build(), std::runtime_error);
    EXPECT_EQ(tightDialogs.messages.size(), 1u);
}

// The result's format decides the writer, also for every member of a split set.
TEST(DestinationFormat, SplitMembersAreWrittenInTheResultFormat) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    TightBuilder builder(dialogs);
    describeSource(builder, {dir.file("Take L.mp3"), dir.file("Take R.mp3")}, 2, true);
    builder.free = 1u << 20;
    builder.fileType = Audio::FlacType;
    builder.names.extension = builder.extension();
    std::unique_ptr<Audio::CAudioFile> writer = builder.build();
    ASSERT_TRUE(writer);
    EXPECT_EQ(builder.destinationPaths[1], dir.file("Take R P1.50 T1.50 2.flac"));
    const Channels frames{std::vector<float>(100, 0.25f), std::vector<float>(100, -0.5f)};
    float* pointers[] = {const_cast<float*>(frames[0].data()),
                         const_cast<float*>(frames[1].data())};
    Audio::u32 written = 0;
    writer->write(pointers, 100, &written);
    writer->close();
    for (int k : {0, 1}) {
        auto member = Audio::openSourceFile(builder.destinationPaths[k]);
        EXPECT_EQ(Audio::openedFileType(*member, "x"), Audio::FlacType);
        EXPECT_EQ(TestSupport::readAll(*member), Channels{frames[k]});
    }
}

// A result the format cannot hold is refused with its size before any name is taken.
TEST(DestinationFormat, ResultBeyondWhatTheFormatHoldsIsRefusedFirst) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    TightBuilder builder(dialogs);
    describeSource(builder, {dir.file("long.wav")}, 2, false);
    builder.free = ~std::uint64_t{0};
    builder.fileType = Audio::AiffType;
    builder.expectedLength = std::uint64_t{3} << 30; // 12 GiB of 16-bit stereo
    EXPECT_NE(TestSupport::errorText([&] { builder.build(); }).find("12.00 GiB"),
              std::string::npos);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(DestinationSpace, ShortageShowsTheMessageAndCancelAborts) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    TightBuilder builder(dialogs);
    describeSource(builder, {dir.file("SoundFile.wav")}, 2, false);
    builder.free = 3999;
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { builder.build(); }), aborted);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{shortOfSpace});
    EXPECT_EQ(dialogs.offered, std::vector<std::string>{dir.file("SoundFile P1.50 T1.50 2.wav")});
    EXPECT_FALSE(std::filesystem::exists(dir.file("SoundFile P1.50 T1.50 2.wav")));
}

TEST(DestinationSpace, ShortageCanMoveTheFileElsewhere) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    TightBuilder builder(dialogs);
    describeSource(builder, {dir.file("SoundFile.wav")}, 2, false);
    builder.roomyPath = dir.file("elsewhere.wav");
    // The first choice is a file the user agreed to replace, on a volume that is still short.
    const std::string replaced = dir.file("still-short.wav");
    touch(replaced);
    dialogs.answers = {replaced, builder.roomyPath};
    std::unique_ptr<Audio::CAudioFile> writer = builder.build();
    ASSERT_TRUE(writer);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(builder.destinationPaths.at(0), builder.roomyPath);
    writer.reset();
    EXPECT_EQ(framesOf(builder.roomyPath), 0u);
    // The names given up on the way are not left behind; the file not replaced after all stays.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    EXPECT_EQ(TestSupport::readBytes(replaced), std::vector<unsigned char>{'x'});
}

TEST(DestinationSpace, ReservationWritesAFileOfTheFullSize) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    CKALODestinationFileBuilder builder(dialogs);
    const std::string path = dir.file("reserved.wav");
    builder.CheckForSufficientDiskSpace(path, 10);
    const auto bytes = TestSupport::readBytes(path);
    ASSERT_EQ(bytes.size(), 10u);
    EXPECT_EQ(std::string(bytes.begin() + 6, bytes.end()), "file");
}

TEST(DestinationSpace, TinyReservationsStayWithinTheFile) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    CKALODestinationFileBuilder builder(dialogs);
    for (const std::uint64_t size : {0u, 1u, 3u, 4u}) {
        const std::string path = dir.file("tiny" + std::to_string(size) + ".wav");
        ASSERT_NO_THROW(builder.CheckForSufficientDiskSpace(path, size)) << size << " bytes";
        ASSERT_TRUE(std::filesystem::exists(path)) << size << " bytes";
        const auto written = std::filesystem::file_size(path);
        EXPECT_TRUE(written == 0 || written == size) << size << " bytes gave " << written;
    }
    EXPECT_EQ(std::filesystem::file_size(dir.file("tiny4.wav")), 4u);
}

TEST(DestinationSpace, RealVolumeRefusesMoreThanItHas) {
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    CKALODestinationFileBuilder builder(dialogs);
    const std::string path = dir.file("huge.wav");
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>(
                  [&] { builder.CheckForSufficientDiskSpace(path, std::uint64_t{1} << 62); }),
              shortOfSpace);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Failures that carry no text (not standard exceptions) still remove the reservation, get the
// fixed texts and leave the user the dialog.
TEST(DestinationSpace, FailuresWithoutTextAreCaughtAndNamed) {
    struct Silent {};
    class FailingBuilder : public CKALODestinationFileBuilder {
      public:
        using CKALODestinationFileBuilder::CKALODestinationFileBuilder;
        bool failSpace = false;

      protected:
        std::uint64_t freeBytes(const std::string& path) override {
            if (failSpace) throw Silent{};
            return CKALODestinationFileBuilder::freeBytes(path);
        }
        void writeReservation(Audio::CFile& file, std::uint64_t bytes) override {
            CKALODestinationFileBuilder::writeReservation(file, bytes);
            throw Silent{};
        }
    };
    TestSupport::TempDir dir;
    RecordingDialogs dialogs;
    FailingBuilder builder(dialogs);
    const std::string path = dir.file("reserved.wav");
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>(
                  [&] { builder.CheckForSufficientDiskSpace(path, 100); }),
              "CKALODestinationFileBuilder::CheckForSufficientDiskSpace() Cannot "
              "write a file for some unknown reason!");
    EXPECT_FALSE(std::filesystem::exists(path));

    builder.failSpace = true;
    builder.destinationPaths = {path};
    EXPECT_THROW(builder.CheckFileSpace_And_ReopenSaveDialog(0, 100), std::runtime_error);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
                                    "CKALODestinationFileBuilder::CheckFileSpace_And_"
                                    "ReopenSaveDialog() You do not have sufficient disk space!"});
    EXPECT_EQ(dialogs.offered.size(), 1u);
}
