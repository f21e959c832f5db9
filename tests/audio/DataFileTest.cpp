#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <utime.h>

#include "audio/AudioFile.h"
#include "audio/DataFile.h"
#include "audio/WaveFile.h"
#include "support/TestSupport.h"

using namespace Audio;

TEST(DataFile, OpenRefusesAnEmptyPathFirstAndASecondOpen) {
    CDataFile unnamed("", "", "");
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { unnamed.open(Read); }),
              "CDataFile::open() cannot open file. the FileName or Path is invalid!");
    TestSupport::TempDir dir;
    std::unique_ptr<CDataFile> file(CDataFile::forPath(dir.file("a.bin")));
    EXPECT_EQ(file->getDirectory(), dir.path().string());
    EXPECT_EQ(file->getFileName(), "a.bin");
    file->open(Write);
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { file->open(Write); }),
              "CDataFile::open() close the file before you open it!");
    EXPECT_TRUE(file->isOpen());
    // Each failure adds the system's own reason; the old guess only where it is the reason.
    const std::string tooLong = dir.file(std::string(300, 'x'));
    std::filesystem::create_symlink("loopB", dir.file("loopA"));
    std::filesystem::create_symlink("loopA", dir.file("loopB"));
    const struct {
        std::string path;
        u32 mode;
        std::string text;
    } failures[] = {
        {dir.file("none"), Read,
         " it may not exist?\n FILE:" + dir.file("none") +
             "\nLastError: 2 (No such file or directory)"},
        {dir.file("loopA"), Read,
         "\n FILE:" + dir.file("loopA") + "\nLastError: 40 (Too many levels of symbolic links)"},
        {tooLong, Write, "\n FILE:" + tooLong + "\nLastError: 36 (File name too long)"},
        {dir.path().string(), Write,
         "\n FILE:" + dir.path().string() + "\nLastError: 21 (Is a directory)"},
    };
    for (const auto& f : failures) {
        std::unique_ptr<CDataFile> bad(CDataFile::forPath(f.path));
        EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { bad->open(f.mode); }),
                  "CDataFile::open() cannot open the file!" + f.text);
        EXPECT_FALSE(bad->isOpen());
    }
}

TEST(DataFile, PositionsAreSixtyFourBitAndTracked) {
    TestSupport::TempDir dir;
    std::unique_ptr<CDataFile> file(CDataFile::forPath(dir.file("sparse.bin")));
    file->open(Write);
    const i64 far = (i64{5} << 30) + 3; // beyond 4 GiB: a sparse file, nothing is really written
    file->seek(far, Begin);
    u32 n = 0;
    file->write("xy", 2, &n);
    EXPECT_EQ(file->tell(), static_cast<u64>(far) + 2);
    EXPECT_EQ(file->getSize(), static_cast<u64>(far) + 2);
    file->seek(-1, End);
    EXPECT_EQ(file->tell(), static_cast<u64>(far) + 1);
    EXPECT_THROW(file->seek(-10, Begin), std::runtime_error);
    file->close();
    file->open(Read);
    file->seek(far, Begin);
    char back[4];
    file->read(back, 4, &n);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(back, 2), "xy");
}

TEST(DataFile, DateIsTheModificationTimeInUtc) {
    TestSupport::TempDir dir;
    TestSupport::writeBytes(dir.file("d"), {1});
    struct timespec times[2] = {{0, 0}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("d").c_str(), times, 0), 0);
    std::unique_ptr<CDataFile> file(CDataFile::forPath(dir.file("d")));
    EXPECT_EQ(file->getDate(), (FileDate{14, 11, 2023, 20, 13, 22, 123}));
    std::unique_ptr<CFile> clone(file->clone());
    EXPECT_FALSE(clone->isOpen());
    EXPECT_EQ(clone->getDate(), file->getDate());
}

TEST(AudioFile, SampleRateRangeIsInclusive) {
    CWaveFile file(nullptr);
    for (u32 rate : {8000u, 44100u, 96000u}) {
        file.format.sampleRate = rate;
        EXPECT_NO_THROW(validateSampleRate(&file)) << rate;
    }
    file.format.sampleRate = 7999;
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { validateSampleRate(&file); }),
              "file is not valid! the lowest supported sample rate is 8000 Hz!");
    file.format.sampleRate = 96001;
    EXPECT_THROW(validateSampleRate(&file), std::runtime_error);
    EXPECT_NO_THROW(validateSampleRate(nullptr));
}
