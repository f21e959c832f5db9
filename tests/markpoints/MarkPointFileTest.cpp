#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>

#include "markpoints/MarkPointFile.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

namespace {
using TestSupport::TempDir;

CAnchorPointsLoadSave curves(int points) {
    CAnchorPointsLoadSave content;
    content.setSampleRate(44100);
    for (int i = 0; i < points; ++i)
        content.getScale(SCALE_TIME).append({i * 10, 1.0f + 0.01f * (i % 300), LINEAR, 0});
    return content;
}

std::size_t filesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

// Makes the disk look full beyond a number of bytes for this process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

  private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};
} // namespace

TEST(MarkPointFileOnDisk, SaveThenLoad) {
    TempDir dir;
    const std::string path = dir.file("curves.mpt");
    saveMarkPointFile(path, curves(3));
    EXPECT_EQ(std::filesystem::file_size(path), 524u + 3 * 64);
    const CAnchorPointsLoadSave back = loadMarkPointFile(path);
    EXPECT_EQ(back.getScale(SCALE_TIME), curves(3).getScale(SCALE_TIME));
    saveMarkPointFile(path, curves(1));
    EXPECT_EQ(loadMarkPointFile(path).getScale(SCALE_TIME).size(), 1u);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(MarkPointFileOnDisk, AFullDiskKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = dir.file("curves.mpt");
    saveMarkPointFile(path, curves(2));
    const auto before = TestSupport::readBytes(path);
    std::string error;
    {
        const FileSizeLimit limit(2000);
        error = TestSupport::errorText([&] { saveMarkPointFile(path, curves(100)); });
    }
    EXPECT_NE(error.find("CDataFile::write() cannot write to file!"), std::string::npos) << error;
    EXPECT_NE(error.find("FILE:" + path), std::string::npos) << error;
    EXPECT_EQ(TestSupport::readBytes(path), before);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(MarkPointFileOnDisk, ReplacingKeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    const std::string real = dir.file("real.mpt");
    const std::string link = dir.file("link.mpt");
    saveMarkPointFile(real, curves(0));
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, link);
    saveMarkPointFile(link, curves(4));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::file_size(real), 524u + 4 * 64);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(MarkPointFileOnDisk, LoadErrorsNameTheFile) {
    TempDir dir;
    const std::string path = dir.file("broken.mpt");
    TestSupport::writeBytes(path, {'A', 'P', 'D', 'F', 0, 0, 0, 4, 'S', 'W', '2', 'X'});
    EXPECT_EQ(TestSupport::errorText([&] { loadMarkPointFile(path); }),
              "cannot read header because this file is not valid!\n FILE:" + path);
    const std::string missing = dir.file("missing.mpt");
    EXPECT_NE(TestSupport::errorText([&] { loadMarkPointFile(missing); }).find(missing),
              std::string::npos);
    // A folder where the file is expected: an error, no crash, nothing created.
    EXPECT_NE(TestSupport::errorText([&] { saveMarkPointFile(dir.path().string(), curves(1)); }),
              "(no exception)");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}
