// stretchwerk-cli with the formats people have: FLAC, Ogg, Opus and MP3 sources, results by
// the source's format or --format, RF64 beyond 4 GiB, damaged files.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "audio/AudioFileOpener.h"
#include "cli/CliPath.h"
#include "support/FormatCorpus.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using TestSupport::FormatCorpus;

namespace {

// Runs in `dir` with the settings of an empty configuration folder, or of `settings`.
int runIn(const TestSupport::TempDir& dir, const std::string& args, std::string* out,
          const std::string& settings = {}) {
    const std::string config = dir.file(".config");
    if (!settings.empty()) {
        fs::create_directories(config + "/stretchwerk");
        TestSupport::writeBytes(config + "/stretchwerk/Stretchwerk.cfg",
                                {settings.begin(), settings.end()});
    }
    return TestSupport::run("cd '" + dir.path().string() + "' && XDG_CONFIG_HOME='" + config +
                                "' " + cli() + " " + args + " 2>&1",
                            out);
}

std::string valueOf(const std::string& text, const std::string& key) {
    const auto at = text.find(key + ": ");
    if (at == std::string::npos) return "";
    const auto start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

std::string corpusCopy(const TestSupport::TempDir& dir, const std::string& name) {
    fs::copy_file(FormatCorpus::path(name), dir.file(name));
    return dir.file(name);
}

} // namespace

TEST(CliFormats, InfoNamesEachFormatAsPeopleKnowIt) {
    const std::pair<const char*, const char*> rows[] = {
        {"tone.flac", "FLAC"},           {"tone.ogg", "Ogg Vorbis"},
        {"tone.opus", "Opus"},           {"tone.mp3", "MPEG Layer III"},
        {"tone.w64", "Sony Wave64"},     {"tone.caf", "Core Audio Format"},
        {"tone.rf64", "RF64 Wave (PCM)"}};
    for (const auto& [name, format] : rows) {
        std::string out;
        ASSERT_EQ(TestSupport::run(cli() + " info '" + FormatCorpus::path(name) + "' 2>&1", &out),
                  0)
            << out;
        EXPECT_EQ(valueOf(out, "Format"), format) << name;
        EXPECT_EQ(valueOf(out, "No. of Frames"), std::to_string(FormatCorpus::kFrames) + " ")
            << name;
        EXPECT_EQ(valueOf(out, "Word Length"), "16 bit") << name;
    }
}

// A lossless source keeps its format and extension; a lossy one gives FLAC unless --format
// (or the settings file) asks for another; the option wins over the file.
TEST(CliFormats, ResultsByTheSourceTheOptionAndTheSettings) {
    TestSupport::TempDir dir;
    for (const char* name : {"tone.flac", "tone.mp3", "tone.opus", "tone.ogg", "tone.caf"})
        corpusCopy(dir, name);
    std::string out;
    ASSERT_EQ(runIn(dir, "process --time 80% tone.flac tone.mp3 tone.opus tone.ogg tone.caf", &out),
              0)
        << out;
    for (const char* made :
         {"tone P0.0 T0.80 2.flac", "tone P0.0 T0.80 3.flac", "tone P0.0 T0.80 4.flac",
          "tone P0.0 T0.80 5.flac", "tone P0.0 T0.80 2.caf"})
        EXPECT_TRUE(fs::exists(dir.file(made))) << made << "\n" << out;
    const auto mp3Result = Audio::openSourceFile(dir.file("tone P0.0 T0.80 3.flac"));
    EXPECT_EQ(Audio::openedFileType(*mp3Result, dir.file("x.flac")), Audio::FlacType);
    EXPECT_NEAR(static_cast<double>(mp3Result->getFrames()), FormatCorpus::kFrames * 0.8, 9000);

    ASSERT_EQ(runIn(dir, "process --time 80% --format wav tone.mp3", &out), 0) << out;
    EXPECT_TRUE(fs::exists(dir.file("tone P0.0 T0.80 2.wav"))) << out;
    ASSERT_EQ(runIn(dir, "process --time 80% --format rf64 tone.flac", &out), 0) << out;
    EXPECT_EQ(TestSupport::readBytes(dir.file("tone P0.0 T0.80 3.wav"))[0], 'R');
    EXPECT_EQ(TestSupport::readBytes(dir.file("tone P0.0 T0.80 3.wav"))[1], 'F');
    const std::string aiffSettings = "AudioDriver = default\r\nIncludePitch = yes\r\n"
                                     "IncludeTime = yes\r\nIncludeIndex = yes\r\n"
                                     "NamePostfix = yes\r\nResultFormat = aiff\r\n";
    ASSERT_EQ(runIn(dir, "process --time 80% tone.opus", &out, aiffSettings), 0) << out;
    EXPECT_TRUE(fs::exists(dir.file("tone P0.0 T0.80 2.aif"))) << out;
    ASSERT_EQ(runIn(dir, "process --time 80% --format flac tone.opus", &out, aiffSettings), 0);
    EXPECT_TRUE(fs::exists(dir.file("tone P0.0 T0.80 6.flac"))) << out;

    EXPECT_EQ(runIn(dir, "process --format mp3 tone.flac", &out), 2);
    EXPECT_NE(out.find("--format takes wav, aiff, flac, rf64, w64 or caf"), std::string::npos)
        << out;
}

TEST(CliFormats, CopyWritesTheFormatItsNameOrTheOptionSays) {
    TestSupport::TempDir dir;
    corpusCopy(dir, "tone.mp3");
    std::string out;
    ASSERT_EQ(runIn(dir, "copy tone.mp3 out.flac", &out), 0) << out;
    const auto flac = Audio::openSourceFile(dir.file("out.flac"));
    const auto mp3 = Audio::openSourceFile(dir.file("tone.mp3"));
    EXPECT_EQ(flac->getFrames(), mp3->getFrames());
    ASSERT_EQ(runIn(dir, "copy --format rf64 out.flac big.wav", &out), 0) << out;
    EXPECT_EQ(TestSupport::readAll(*Audio::openSourceFile(dir.file("big.wav"))),
              TestSupport::readAll(*flac));
    EXPECT_EQ(runIn(dir, "copy tone.mp3 out.mp3", &out), 2);
    EXPECT_NE(out.find("the destination must end in .wav, .aif, .aiff, .flac, .rf64, .w64, .caf"),
              std::string::npos)
        << out;
    EXPECT_EQ(runIn(dir, "copy --format flac tone.mp3 out.wav", &out), 2);
    EXPECT_NE(out.find("--format flac writes files named .flac"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir.file("out.wav")));
}

// An AIFF result beyond 4 GiB is refused before anything is written, with its size. The source
// is sparse: its header claims 5 GiB of frames that the file system does not store.
TEST(CliFormats, CopyRefusesUpFrontWhatTheFormatCannotHold) {
    TestSupport::TempDir dir;
    const std::string big = dir.file("big.wav");
    const std::uint64_t dataBytes = std::uint64_t{5} << 30;
    TestSupport::Bytes header;
    header.text("RF64").le32(0xFFFFFFFF).text("WAVE");
    header.text("ds64").le32(28).le64(dataBytes + 72).le64(dataBytes).le64(dataBytes / 4).le32(0);
    header.text("fmt ").le32(16).le16(1).le16(2).le32(44100).le32(44100 * 4).le16(4).le16(16);
    header.text("data").le32(0xFFFFFFFF);
    TestSupport::writeBytes(big, header.data);
    fs::resize_file(big, header.data.size() + dataBytes);
    std::string out;
    EXPECT_EQ(runIn(dir, "copy big.wav big.aif", &out), 1);
    EXPECT_NE(out.find("big.aif: the result would hold 5.00 GiB of samples, more than AIFF files "
                       "can hold (4.00 GiB)"),
              std::string::npos)
        << out;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << "only big.wav";
}

// A cut MP3 is read as far as it goes; a FLAC with damaged frames fails when the reading gets
// there, names the file, and leaves no result.
TEST(CliFormats, CutFilesPlayOnDamagedOnesAreRefused) {
    TestSupport::TempDir dir;
    const std::string whole = FormatCorpus::path("tone.mp3");
    TestSupport::copyHead(whole, dir.file("cut.mp3"), fs::file_size(whole) * 2 / 3);
    std::vector<unsigned char> flac = TestSupport::readBytes(FormatCorpus::path("tone.flac"));
    for (std::size_t i = flac.size() / 4; i < flac.size() / 4 + 4000; ++i)
        flac[i] = static_cast<unsigned char>(i * 31);
    TestSupport::writeBytes(dir.file("damaged.flac"), flac);
    std::string out;
    ASSERT_EQ(runIn(dir, "info cut.mp3", &out), 0) << out;
    const long cutFrames = std::stol(valueOf(out, "No. of Frames"));
    EXPECT_EQ(cutFrames,
              static_cast<long>(TestSupport::readWithSndfile(dir.file("cut.mp3"))[0].size()));
    EXPECT_LT(cutFrames, FormatCorpus::kFrames * 9 / 10);
    EXPECT_EQ(runIn(dir, "process --jobs 1 cut.mp3 damaged.flac", &out), 1);
    EXPECT_TRUE(fs::exists(dir.file("cut P0.0 T1.00 2.flac"))) << out;
    EXPECT_NE(out.find("stretchwerk-cli: damaged.flac: the audio data cannot be decoded beyond "
                       "frame "),
              std::string::npos)
        << out;
    EXPECT_FALSE(fs::exists(dir.file("damaged P0.0 T1.00 2.flac")));
}
