#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

#include "app/AppTexts.h"
#include "app/ConfigFile.h"
#include "app/OutputFailure.h"
#include "app/Settings.h"
#include "output/AsioError.h"
#include "output/AvailSoundDevices.h"
#include "output/DirectSoundError.h"
#include "support/TestSupport.h"

using App::CSettings;
using App::DeviceId;
using App::OutputDevice;

namespace {

const DeviceId DUMMY_ID{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

std::vector<OutputDevice> twoDevices() {
    return {{DeviceId{}, "default", 1}, {DUMMY_ID, "Dummy Output", 1}};
}

std::string text(const std::vector<unsigned char>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Points the configuration folder at a scratch folder for the length of a test.
class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldXdg = old;
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    }
    void TearDown() override {
        if (oldXdg.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
    }
    std::string configPath(const std::string& name) const {
        return (dir.path() / "stretchwerk" / name).string();
    }
    void writeSettings(const std::string& content) {
        std::filesystem::create_directories(dir.path() / "stretchwerk");
        TestSupport::writeBytes(configPath("Stretchwerk.cfg"), {content.begin(), content.end()});
    }
    CSettings loaded(const std::string& content) {
        writeSettings(content);
        CSettings s(twoDevices);
        s.load();
        return s;
    }
    void expectLoadError(const std::string& content, const char* message) {
        writeSettings(content);
        CSettings s(twoDevices);
        EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { s.load(); }), message)
            << content;
    }

    TestSupport::TempDir dir;
    std::string oldXdg;
};

const char* const DEFAULT_FILE = "# Stretchwerk2 Settings V2.0\r\n"
                                 "\r\n"
                                 "AudioDriver = default\r\n"
                                 "EditorPath = \r\n"
                                 "TargetPath = \r\n"
                                 "IncludePitch = yes\r\n"
                                 "IncludeTime = yes\r\n"
                                 "IncludeIndex = yes\r\n"
                                 "NamePrefix = no\r\n"
                                 "NamePostfix = yes\r\n"
                                 "Quality = 2\r\n";

} // namespace

TEST_F(SettingsTest, FirstSaveCreatesTheFolderAndWritesTheDefaults) {
    CSettings s(twoDevices);
    EXPECT_EQ(s.getPath(), configPath("Stretchwerk.cfg"));
    s.save();
    EXPECT_EQ(text(TestSupport::readBytes(s.getPath())), DEFAULT_FILE);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "stretchwerk"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SettingsTest, SavedValuesLoadBack) {
    CSettings s(twoDevices);
    s.deviceId = DUMMY_ID;
    s.editorPath = "/usr/bin/audio\neditor";
    s.targetPath = "/music/a=b"; // an equals sign of its own: only the first one separates
    s.includePitch = false;
    s.namePrefix = true;
    s.namePostfix = false;
    s.quality = 4;
    s.exactPitch = true;
    s.restoreList = true;
    s.resultFormat = Audio::FlacType;
    s.save();
    const auto written = text(TestSupport::readBytes(s.getPath()));
    EXPECT_NE(written.find("\r\nAudioDriver = Dummy Output\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nEditorPath = /usr/bin/audio editor\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nTargetPath = /music/a=b\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nResultFormat = flac\r\n"), std::string::npos);

    CSettings back(twoDevices);
    back.load();
    EXPECT_EQ(back.deviceId, DUMMY_ID);
    EXPECT_EQ(back.editorPath, "/usr/bin/audio editor");
    EXPECT_EQ(back.targetPath, "/music/a=b");
    EXPECT_FALSE(back.includePitch);
    EXPECT_TRUE(back.includeTime);
    EXPECT_TRUE(back.includeIndex);
    EXPECT_TRUE(back.namePrefix);
    EXPECT_FALSE(back.namePostfix);
    EXPECT_EQ(back.quality, 4);
    EXPECT_TRUE(back.exactPitch);
    EXPECT_TRUE(back.restoreList);
    EXPECT_EQ(back.resultFormat, Audio::FlacType);
}

// A file without the key (every file before there was one), a format that is not written and
// an unknown word all mean as the source.
TEST_F(SettingsTest, ResultFormatReadsAWrittenFormatsWord) {
    const std::pair<const char*, Audio::FileType> rows[] = {
        {"", Audio::UnknownType},
        {"ResultFormat = wav\r\n", Audio::WavType},
        {"ResultFormat = rf64\r\n", Audio::Rf64Type},
        {"ResultFormat = mp3\r\n", Audio::UnknownType},
        {"ResultFormat = flacc\r\n", Audio::UnknownType},
    };
    for (const auto& [line, type] : rows)
        EXPECT_EQ(loaded(std::string("AudioDriver = default\r\n") + line).resultFormat, type)
            << line;
}

TEST_F(SettingsTest, QualityReadsTheLeadingNumber) {
    EXPECT_EQ(loaded("AudioDriver = default\r\nQuality=3\r\n").quality, 3);
    EXPECT_EQ(loaded("AudioDriver = default\r\nQuality = 3x\r\n").quality, 3);
    EXPECT_EQ(loaded("AudioDriver = default\r\nQuality = high\r\n").quality, 0);
    EXPECT_EQ(loaded("AudioDriver = default\r\nQuality = -1\r\n").quality, -1);
    EXPECT_EQ(loaded("AudioDriver = default\r\nQuality = 99999999999\r\n").quality, 2147483647);
    EXPECT_EQ(loaded("AudioDriver = default\r\n").quality, 2);
}

TEST_F(SettingsTest, FlagsAreTrueOnlyForLowerCaseYes) {
    const auto s = loaded("AudioDriver = default\r\nIncludeTime = Yes\r\nIncludeIndex = yes\r\n");
    EXPECT_FALSE(s.includeTime);
    EXPECT_TRUE(s.includeIndex);
    // Missing keys read as false although the defaults are true.
    EXPECT_FALSE(s.includePitch);
    EXPECT_FALSE(s.namePostfix);
    EXPECT_FALSE(s.restoreList);
}

TEST_F(SettingsTest, DeviceIsFoundByNameAndAMissingOneFallsBackToTheDefault) {
    EXPECT_EQ(loaded("AudioDriver = Dummy Output\r\n").deviceId, DUMMY_ID);
    EXPECT_EQ(loaded("AudioDriver = Unplugged Card\r\n").deviceId, DeviceId{});
    EXPECT_EQ(loaded("AudioDriver = Dummy Output\r\nAudioDriver = default\r\n").deviceId, DUMMY_ID);
    EXPECT_EQ(loaded("AudioDriver = default\r\nTargetPath = /a\r\nTargetPath = /b\r\n").targetPath,
              "/a");
}

TEST_F(SettingsTest, BadFilesAreRefusedWithTheirReason) {
    expectLoadError("EditorPath = /usr/bin/x\r\n", "preferences file is invalid!");
    expectLoadError("AudioDriver = default\r\n=3\r\n", "CConfigFile::read() file is corrupt!");
    std::filesystem::remove(configPath("Stretchwerk.cfg"));
    CSettings s(twoDevices);
    EXPECT_THROW(s.load(), std::runtime_error);
}

TEST_F(SettingsTest, OnlySmallRegularFilesAreRead) {
    const std::string path = configPath("Stretchwerk.cfg");
    std::string big = "AudioDriver = default\r\n";
    big.resize(App::kMaxConfigFileBytes + 1, '#');
    expectLoadError(big, "CConfigFile::read() file is corrupt! (larger than 1 MiB)");
    big.resize(App::kMaxConfigFileBytes);
    EXPECT_NO_THROW(loaded(big));
    std::filesystem::remove(path);
    std::filesystem::create_symlink("/dev/null", path);
    CSettings s(twoDevices);
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { s.load(); }),
              "CConfigFile::read() file is corrupt! (not a regular file)");
}

TEST_F(SettingsTest, SavingAnUnlistedDeviceFailsAndWritesNothing) {
    CSettings s(twoDevices);
    s.deviceId[0] = 0xEE;
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { s.save(); }),
              "CSettings::save() AudioDriver information not found!");
    EXPECT_FALSE(std::filesystem::exists(s.getPath()));
}

// A write that fails half way (here: the file size limit) must leave the old file whole.
TEST_F(SettingsTest, FailedSaveKeepsThePreviousFile) {
    CSettings s(twoDevices);
    s.save();
    s.targetPath = std::string(400, 'x');
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        s.save();
    } catch (const std::runtime_error&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(threw);
    EXPECT_EQ(text(TestSupport::readBytes(s.getPath())), DEFAULT_FILE);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "stretchwerk"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SettingsTest, RememberedFolderIsAFixedRecordOf260Bytes) {
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(CSettings::loadDefaultPath(), home);

    CSettings::saveDefaultPath("/home/me/music");
    const auto record = TestSupport::readBytes(configPath("DefPath.prf"));
    ASSERT_EQ(record.size(), 260u);
    EXPECT_EQ(text(record).substr(0, 15), std::string("/home/me/music\0", 15));
    EXPECT_EQ(CSettings::loadDefaultPath(), "/home/me/music");

    const std::string longFolder = "/" + std::string(299, 'd');
    CSettings::saveDefaultPath(longFolder);
    EXPECT_EQ(TestSupport::readBytes(configPath("DefPath.prf")).size(), 260u);
    EXPECT_EQ(CSettings::loadDefaultPath(), longFolder.substr(0, 259));

    // A cut never splits a character: 258 bytes and a two-byte one leave 258.
    CSettings::saveDefaultPath(std::string(258, 'a') + "\xC3\xA9");
    EXPECT_EQ(CSettings::loadDefaultPath(), std::string(258, 'a'));
}

// A device that does not start is named as the preferences name it, with what failed in this
// system's words and what to do, never the names of another system's interfaces.
TEST(OutputFailure, NamesTheDeviceWhatFailedAndWhatToDo) {
    using namespace DirectSound;
    const OutputDevice alsa{{}, "Missing card (swkmissing)", Output::DirectSoundDevice};
    const OutputDevice jack{{}, "studio", Output::AsioDevice};
    const auto text = [](const OutputDevice* d, auto thrown) {
        try {
            throw thrown;
        } catch (...) {
            return outputStartFailure(d, std::current_exception());
        }
    };
    const std::string nodriver =
        text(&alsa, directsound_exception("x Init() Failed!\n", DSERR_NODRIVER));
    EXPECT_EQ(nodriver,
              "The ALSA output \"Missing card (swkmissing)\" could not be opened: there is "
              "no such device, or no sound card answers (DSERR_NODRIVER). Choose another "
              "output in Edit \u203a Preferences.");
    EXPECT_NE(
        text(&alsa, directsound_exception("", DSERR_ALLOCATED)).find("another program is using it"),
        std::string::npos);
    EXPECT_EQ(
        text(&jack, ASIO::asio_runtime_error("cannot open the asio driver!", ASIO::ASE_NotPresent)),
        "The JACK server \"studio\" could not be used: the server is not "
        "running or cannot be reached. Choose another output in Edit \u203a Preferences.");
    EXPECT_EQ(text(nullptr, std::runtime_error("the device went away")),
              "The ALSA output of the settings could not be opened: the device went away. Choose "
              "another output in Edit \u203a Preferences.");
    EXPECT_EQ(text(&alsa, 7), std::string(App::kEngineInitFailed) +
                                  "\nChoose another output in Edit "
                                  "\u203a Preferences.");
}
