#include <gtest/gtest.h>

#include "ModelTestKit.h"
#include "app/FileRow.h"
#include "app/JobSettings.h"

using namespace App;
using namespace ModelTest;

TEST(FileRow, NumberFieldsKeepWhatTheyCan) {
    struct Case {
        const char* typed;
        int limit;
        const char* shown;
    } cases[] = {
        {"12a", 48, "12"},
        {"-60", 48, "-48"},
        {"", 48, "0"},
        {"48", 48, "48"},
        {"49", 48, "48"},
        {"-48", 48, "-48"},
        {"-49", 48, "-48"},
        {"a12", 48, "0"},
        {"1-2", 99, "1"},
        {"-", 99, "-"},
        {"100", 99, "99"},
        {"-100", 99, "-99"},
        {"99999999999999999999", 48, "48"},
        {"-99999999999999999999", 99, "-99"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sanitizeNumberField(c.typed, -c.limit, c.limit), c.shown) << c.typed;
}

TEST(FileRow, InformationLine) {
    auto fmt = [](Audio::u32 ch, Audio::u32 rate, Audio::u32 bits) {
        return JobTest::makeFormat(ch, rate, bits);
    };
    EXPECT_EQ(infoLineOf(fmt(2, 44100, 16), 44100ull * 205, false),
              "Stereo - 44.1 kHz - 16 Bit - 3:25 min");
    EXPECT_EQ(infoLineOf(fmt(1, 48000, 24), 48000ull * 90, false),
              "Mono - 48.0 kHz - 24 Bit - 1:30 min");
    EXPECT_EQ(infoLineOf(fmt(1, 48000, 24), 48000ull * 3725, false),
              "Mono - 48.0 kHz - 24 Bit - 1:02:05");
    EXPECT_EQ(infoLineOf(fmt(1, 8000, 8), 8000 * 59 + 7999, false),
              "Mono - 8.0 kHz - 8 Bit - 1:00 min");
    EXPECT_EQ(infoLineOf(fmt(1, 8000, 8), 8000 * 59, false), "Mono - 8.0 kHz - 8 Bit - 59 sec");
    const std::pair<Audio::u32, const char*> kinds[] = {{2, "Split - "},
                                                        {6, "Surround 5.1 - "},
                                                        {7, "Surround 6.1 - "},
                                                        {8, "Surround 7.1 - "},
                                                        {10, ""}};
    for (const auto& [channels, kind] : kinds)
        EXPECT_EQ(infoLineOf(fmt(channels, 44100, 16), 0, true),
                  std::string(kind) + "44.1 kHz - 16 Bit - 0 sec");
}

TEST(FileRow, TimeUnitsConvertThroughTheSourceBpm) {
    TestSupport::TempDir dir;
    BatchList list;
    CFileRow& row = addFile(list, toneFile(dir, "ten.wav", 80000)); // 10 s
    EXPECT_EQ(row.getTimeText(), "100.00000");
    EXPECT_EQ(row.nameLine(), "ten.wav");
    std::vector<double> presets;
    std::optional<double> answer;
    auto ask = [&](double preset) { return presets.push_back(preset), answer; };

    EXPECT_FALSE(row.changeTimeUnit(Process::Percent, false, ask)); // same unit: nothing
    ASSERT_TRUE(row.changeTimeUnit(Process::Seconds, false, ask));
    EXPECT_EQ(row.getTimeText(), "10.00000");
    row.setTimeText("5");
    EXPECT_FALSE(row.changeTimeUnit(Process::Bpm, false, ask)); // cancelled: unit kept
    EXPECT_EQ(row.getTimeUnit(), Process::Seconds);
    answer = 120.0;
    ASSERT_TRUE(row.changeTimeUnit(Process::Bpm, false, ask));
    EXPECT_EQ(row.getTimeText(), "240.00000"); // half the length: twice the tempo
    EXPECT_EQ(presets, (std::vector<double>{120.0, 120.0}));
    row.setTimeText("100,0");
    ASSERT_TRUE(row.changeTimeUnit(Process::Percent, false, ask));
    EXPECT_EQ(row.getTimeText(), "120.00000"); // 120 bpm source at 100 bpm: 20 % longer
    EXPECT_DOUBLE_EQ(row.getSeconds(), 12.0);
    answer = 60.0; // Ctrl held asks again even with a source BPM
    ASSERT_TRUE(row.changeTimeUnit(Process::Bpm, true, ask));
    EXPECT_EQ(row.getTimeText(), "50.00000");
    EXPECT_EQ(presets.size(), 3u);
    EXPECT_NEAR(row.settings().timeValue, 50.0, 1e-9);
}

TEST(FileRow, CheckBoxesExcludeEachOther) {
    TestSupport::TempDir dir;
    BatchList list;
    CFileRow& row = addFile(list, toneFile(dir, "a.wav", 800));
    row.setUseMarkPoints(true);
    EXPECT_FALSE(row.parametersEnabled());
    EXPECT_TRUE(row.preserveFormantsEnabled());
    row.setDoubleLength(true);
    EXPECT_FALSE(row.getUseMarkPoints());
    EXPECT_FALSE(row.preserveFormantsEnabled());
    row.setUseMarkPoints(true);
    EXPECT_FALSE(row.getDoubleLength());
    row.setUseMarkPoints(false);
    EXPECT_TRUE(row.parametersEnabled());
}

TEST(FileRow, StoredQualityOutsideTheModesIsFast) {
    const std::pair<int, int> cases[] = {{-1, 2}, {0, 2}, {1, 1}, {2, 2}, {3, 3},
                                         {4, 4},  {5, 5}, {6, 2}, {7, 2}};
    for (const auto& [stored, used] : cases)
        EXPECT_EQ(static_cast<int>(qualityFrom(stored)), used) << stored;
    CSettings settings([] { return std::vector<OutputDevice>{}; });
    settings.includeTime = false;
    settings.namePrefix = true;
    settings.targetPath = "/tmp/out";
    settings.quality = 0;
    const JobSettings job = jobSettingsFrom(settings);
    EXPECT_TRUE(job.naming.includePitch);
    EXPECT_FALSE(job.naming.includeTime);
    EXPECT_TRUE(job.naming.partsBeforeTitle);
    EXPECT_EQ(job.naming.targetDirectory, "/tmp/out");
    EXPECT_EQ(job.quality, Engine::Quality::Fast);
}

TEST(FileRow, SourceBpmMustLieAboveOneUpToTenThousand) {
    EXPECT_EQ(sourceBpmFrom("120,5"), 120.5);
    EXPECT_EQ(sourceBpmFrom("10000"), 10000.0);
    EXPECT_EQ(sourceBpmFrom("1.0001"), 1.0001);
    for (const char* refused : {"1", "10000.5", "0", "-120", "abc", "", "12x"})
        EXPECT_EQ(sourceBpmFrom(refused), std::nullopt) << refused;
}
