// stretchwerk-cli markpoints: curves made on the command line, shown, and refused.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "cli/CliPath.h"
#include "markpoints/MarkPointFile.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

namespace fs = std::filesystem;

namespace {

int markpoints(const std::string& args, std::string* out = nullptr) {
    return TestSupport::run(cli() + " markpoints " + args + " 2>&1", out);
}

} // namespace

TEST(CliMarkpoints, MakeThenShowRoundTrip) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("curves.mpt");
    std::string out;
    ASSERT_EQ(markpoints("make " + quoted(path) +
                             " --time 88200:0.75:keep,0:1,44100:1.5 --pitch 1000:2:square"
                             " --formant 5:0.25:linear --sample-rate 48000 --base-bpm 98.5",
                         &out),
              0)
        << out;

    ASSERT_EQ(markpoints("show " + quoted(path), &out), 0) << out;
    EXPECT_EQ(out, "File: " + path +
                       "\n"
                       "Sample Rate: 48000 Hz\n"
                       "Base BPM: 98.5\n"
                       "time: 3 points\n"
                       "  0 1 linear\n"
                       "  44100 1.5 linear\n"
                       "  88200 0.75 keep\n"
                       "pitch: 1 point\n"
                       "  1000 2 square\n"
                       "formant: 1 point\n"
                       "  5 0.25 linear\n");

    // The editor's reader sees the same curves.
    const CAnchorPointsLoadSave content = loadMarkPointFile(path);
    const CMarkPointArray& time = content.getScale(SCALE_TIME);
    ASSERT_EQ(time.size(), 3u);
    EXPECT_EQ(time[2], (CMarkPoint{88200, 0.75f, KEEP, 0}));
    EXPECT_EQ(content.getScale(SCALE_PITCH)[0], (CMarkPoint{1000, 2.0f, SQUARE, 0}));
    EXPECT_EQ(content.getSampleRate(), 48000u);
    EXPECT_EQ(content.getBaseBpm(), 98.5f);
}

TEST(CliMarkpoints, EmptyCurvesAndDefaults) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("empty.mpt");
    std::string out;
    ASSERT_EQ(markpoints("make " + quoted(path), &out), 0) << out;
    EXPECT_EQ(fs::file_size(path), 524u);
    ASSERT_EQ(markpoints("show " + quoted(path), &out), 0) << out;
    EXPECT_NE(out.find("Sample Rate: 44100 Hz\nBase BPM: 120\ntime: 0 points\npitch: 0 "
                       "points\nformant: 0 points\n"),
              std::string::npos)
        << out;
}

TEST(CliMarkpoints, BadItemsAreUsageErrorsNamingTheItem) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("bad.mpt");
    const std::pair<std::string, std::string> cases[] = {
        {"--time 0:1,0:2", "'0:2'"},
        {"--time 0:0", "'0:0'"},
        {"--pitch 10:-1", "'10:-1'"},
        {"--pitch 10:nan", "'10:nan'"},
        {"--pitch 10:inf", "'10:inf'"},
        {"--pitch 10:1e40", "'10:1e40'"},
        {"--formant -5:1", "'-5:1'"},
        {"--formant 5", "'5'"},
        {"--formant 5:1:curvy", "'5:1:curvy'"},
        {"--time 5:1:linear:x", "'5:1:linear:x'"},
        {"--time 1:1,", "''"},
        {"--time x:1", "'x:1'"},
        {"--time 2147483648:1", "'2147483648:1'"},
    };
    for (const auto& [args, item] : cases) {
        std::string out;
        EXPECT_EQ(markpoints("make " + quoted(path) + " " + args, &out), 2) << args;
        EXPECT_NE(out.find(item), std::string::npos) << args << ": " << out;
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(CliMarkpoints, WrongCommandLines) {
    TestSupport::TempDir dir;
    const std::string path = quoted(dir.file("x.mpt"));
    std::string out;
    EXPECT_EQ(markpoints("", &out), 2);
    EXPECT_EQ(markpoints("draw " + path, &out), 2);
    EXPECT_EQ(markpoints("show", &out), 2);
    EXPECT_EQ(markpoints("make", &out), 2);
    EXPECT_EQ(markpoints("make " + path + " --time", &out), 2);
    EXPECT_EQ(markpoints("make " + path + " --time 0:1 --time 5:1", &out), 2);
    EXPECT_EQ(markpoints("make " + path + " --base-bpm 0", &out), 2);
    EXPECT_EQ(markpoints("make " + path + " --sample-rate 0", &out), 2);
    EXPECT_EQ(markpoints("make " + path + " --colour red", &out), 2);
    EXPECT_FALSE(fs::exists(dir.file("x.mpt")));
    EXPECT_EQ(markpoints("--help", &out), 0);
    EXPECT_NE(out.find("FRAME:VALUE"), std::string::npos);
    EXPECT_EQ(markpoints("make --help", &out), 0);
    EXPECT_NE(out.find("--force"), std::string::npos);
}

TEST(CliMarkpoints, ExistingFileIsReplacedOnlyWithForce) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("curves.mpt");
    std::string out;
    ASSERT_EQ(markpoints("make " + quoted(path) + " --time 0:2", &out), 0) << out;
    const auto before = TestSupport::readBytes(path);

    EXPECT_EQ(markpoints("make " + quoted(path) + " --time 0:3", &out), 1);
    EXPECT_NE(out.find(path + ": exists already"), std::string::npos) << out;
    EXPECT_EQ(TestSupport::readBytes(path), before);

    ASSERT_EQ(markpoints("make " + quoted(path) + " --time 0:3 --force", &out), 0) << out;
    EXPECT_EQ(loadMarkPointFile(path).getScale(SCALE_TIME)[0].value, 3.0f);
}

TEST(CliMarkpoints, ShowNamesAFileItCannotRead) {
    TestSupport::TempDir dir;
    std::string out;
    const std::string missing = dir.file("missing.mpt");
    EXPECT_EQ(markpoints("show " + quoted(missing), &out), 1);
    EXPECT_NE(out.find("stretchwerk-cli: " + missing + ": "), std::string::npos) << out;

    const std::string junk = dir.file("junk.mpt");
    TestSupport::writeBytes(junk, {'n', 'o', 'p', 'e'});
    EXPECT_EQ(markpoints("show " + quoted(junk), &out), 1);
    EXPECT_NE(out.find("stretchwerk-cli: " + junk + ": "), std::string::npos) << out;
}

// A file cut between two chunks would lose its last curves without a word; show and process
// refuse it and name it.
TEST(CliMarkpoints, AFileCutBetweenChunksIsRefused) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("cut.mpt");
    std::string out;
    ASSERT_EQ(markpoints("make " + quoted(path) + " --time 0:1.5 --pitch 0:2", &out), 0) << out;
    auto bytes = TestSupport::readBytes(path);
    bytes.resize(12 + 128 + 128 + 64); // the container header, INFO and the time curve
    TestSupport::writeBytes(path, bytes);
    EXPECT_EQ(markpoints("show " + quoted(path), &out), 1);
    EXPECT_NE(out.find("stretchwerk-cli: " + path +
                       ": mark point file is corrupt! it ends after "
                       "332 of the 652 bytes its container counts"),
              std::string::npos)
        << out;
    ASSERT_EQ(
        TestSupport::run("sox -n -r 8000 " + quoted(dir.file("t.wav")) + " synth 0.1 sine 440"), 0);
    EXPECT_EQ(TestSupport::run("cd " + quoted(dir.path().string()) +
                                   " && XDG_CONFIG_HOME=" + quoted(dir.file("config")) + " " +
                                   cli() + " process --markpoints cut.mpt t.wav 2>&1",
                               &out),
              1);
    EXPECT_NE(out.find("cut.mpt: mark point file is corrupt!"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir.file("t 2.wav")));
}
