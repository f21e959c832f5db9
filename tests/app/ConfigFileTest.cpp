#include <gtest/gtest.h>

#include <string>

#include "app/ConfigFile.h"
#include "audio/DataFile.h"
#include "support/TestSupport.h"

using App::CConfigFile;
using Kind = CConfigFile::EntryKind;

namespace {

class ConfigFileTest : public ::testing::Test {
  protected:
    CConfigFile readText(const std::string& text) {
        TestSupport::writeBytes(path, {text.begin(), text.end()});
        Audio::CDataFile file(path, dir.path().string(), "test.cfg");
        file.open(Audio::Read);
        CConfigFile config;
        config.read(file);
        return config;
    }
    std::string writtenText(const CConfigFile& config) {
        {
            Audio::CDataFile file(path, dir.path().string(), "test.cfg");
            file.open(Audio::Write);
            config.write(file);
        }
        const auto bytes = TestSupport::readBytes(path);
        return {bytes.begin(), bytes.end()};
    }
    void expectCorrupt(const std::string& text) {
        EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { readText(text); }),
                  "CConfigFile::read() file is corrupt!")
            << text;
    }

    TestSupport::TempDir dir;
    std::string path = dir.file("test.cfg");
};

} // namespace

TEST_F(ConfigFileTest, LinesBecomeKeyValueCommentAndBlankEntries) {
    const auto config = readText("  # a comment  \r\n \t \nQuality=3\r"
                                 "AudioDriver \t=  Dummy Output \r\n\r\n\n"
                                 "EditorPath =\r\n;semi\n/slash");
    const auto& e = config.getEntries();
    ASSERT_EQ(e.size(), 7u);
    EXPECT_EQ(e[0].kind, Kind::Comment);
    EXPECT_EQ(e[0].key, "# a comment");
    EXPECT_EQ(e[1].kind, Kind::Blank);
    EXPECT_EQ(e[2].kind, Kind::Value);
    EXPECT_EQ(e[2].key, "Quality");
    EXPECT_EQ(e[2].value, "3");
    EXPECT_EQ(e[3].key, "AudioDriver");
    EXPECT_EQ(e[3].value, "Dummy Output");
    EXPECT_EQ(e[4].key, "EditorPath");
    EXPECT_EQ(e[4].value, "");
    EXPECT_EQ(e[5].kind, Kind::Comment);
    EXPECT_EQ(e[6].key, "/slash");
}

TEST_F(ConfigFileTest, LineWithoutKeyOrEqualsSignIsCorrupt) {
    expectCorrupt("=3\r\n");
    expectCorrupt("Quality = 3\r\n  \t= value\r\n");
    expectCorrupt("Quality 3\r\n");
}

TEST_F(ConfigFileTest, LookupIsExactAndTakesTheFirstOccurrence) {
    const auto config = readText("Quality = 4\r\nquality = 1\r\nQuality = 3\r\n"
                                 "A = yes\r\nB = Yes\r\nC = yes please\r\n# D = yes\r\n");
    ASSERT_NE(config.find("Quality"), nullptr);
    EXPECT_EQ(config.find("Quality")->value, "4");
    EXPECT_EQ(config.find("quality")->value, "1");
    EXPECT_EQ(config.find("Qualit"), nullptr);
    EXPECT_TRUE(config.getBool("A"));
    EXPECT_FALSE(config.getBool("B"));
    EXPECT_FALSE(config.getBool("C"));
    EXPECT_FALSE(config.getBool("D"));
    EXPECT_FALSE(config.getBool("missing"));
}

TEST_F(ConfigFileTest, WritesCrLfLinesAndKeepsValuesOnTheirLine) {
    auto config = readText("  ; indented comment\r\nKey=value\r\n");
    config.addBlank();
    config.add("EditorPath", "/opt/my\r\neditor\n");
    config.add("Empty", "");
    EXPECT_EQ(writtenText(config), "; indented comment\r\nKey = value\r\n\r\n"
                                   "EditorPath = /opt/my  editor \r\nEmpty = \r\n");
    // What was written reads back to the same values, the empty one included.
    const auto again = readText(writtenText(config));
    EXPECT_EQ(again.find("EditorPath")->value, "/opt/my  editor");
    ASSERT_NE(again.find("Empty"), nullptr);
    EXPECT_EQ(again.find("Empty")->value, "");
}
