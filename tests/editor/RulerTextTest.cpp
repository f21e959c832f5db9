// The value rulers' headers and ticks, and the file information line.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/FileInfoLine.h"
#include "editor/ValueRulerText.h"
#include "markpoints/MarkPoint.h"

using namespace Editor;
using namespace MarkPoints;

TEST(ValueRulerText, HeadersInEachUnit) {
    const CValueScale scale(4.0, 201, 120.0);
    EXPECT_EQ(valueRulerHeader(scale, SCALE_TIME, TIMEDISPLAY_PERCENT, 1.5), "150.00\r%");
    EXPECT_EQ(valueRulerHeader(scale, SCALE_TIME, TIMEDISPLAY_BPM, 2.0), "60.00\rBPM");
    EXPECT_EQ(valueRulerHeader(scale, SCALE_PITCH, 0, 2.0), "12.00\rPitch");
    EXPECT_EQ(valueRulerHeader(scale, SCALE_FORMANT, 0, 0.5), "-12.00\rFormant");
    EXPECT_THROW(valueRulerHeader(scale, 4, 0, 1.0), std::invalid_argument);
    EXPECT_THROW(valueRulerHeader(scale, SCALE_TIME, 3, 1.0), std::invalid_argument);
}

TEST(ValueRulerText, TicksKeepTheirDistance) {
    struct Row {
        std::uint32_t scale, display;
    };
    for (const int height : {120, 201, 700})
        for (const Row r : {Row{SCALE_TIME, TIMEDISPLAY_PERCENT}, Row{SCALE_TIME, TIMEDISPLAY_BPM},
                            Row{SCALE_PITCH, 0}, Row{SCALE_FORMANT, 0}}) {
            const CValueScale scale(4.0, height, 120.0);
            const std::vector<ValueTick> ticks = valueRulerTicks(scale, r.scale, r.display);
            ASSERT_GE(ticks.size(), 3u) << height << " " << r.scale;
            double lastLabel = -1e9;
            for (std::size_t i = 0; i < ticks.size(); ++i) {
                EXPECT_GE(ticks[i].y, -1e-9);
                EXPECT_LE(ticks[i].y, 2 * scale.getHalfHeight() + 1e-9);
                if (i > 0) {
                    EXPECT_GE(ticks[i].y - ticks[i - 1].y, 10.0);
                }
                if (ticks[i].labelled) {
                    EXPECT_GE(ticks[i].y - lastLabel, 24.0);
                    lastLabel = ticks[i].y;
                }
            }
            EXPECT_GE(std::count_if(ticks.begin(), ticks.end(),
                                    [](const ValueTick& t) { return t.labelled; }),
                      2);
        }
    EXPECT_EQ(valueTickText(150.0), "150");
    EXPECT_EQ(valueTickText(-2.5), "-2.5");
    EXPECT_EQ(valueTickText(-0.0001), "0");
}

TEST(FileInfoLine, ChannelsTypesAndSizes) {
    using Audio::AiffType;
    using Audio::WavType;
    struct Row {
        Audio::u32 channels, rate, bits;
        Audio::u64 frames;
        bool split;
        Audio::FileType type;
        std::string expected;
    };
    const std::vector<Row> rows{
        {1, 44100, 16, 154350, false, WavType,
         "44.1kHz, 16bits, Mono - PCM Wave        0:00:03.500, 154350 frames, 0.3 MBytes"},
        {2, 48000, 24, 172800000, false, AiffType,
         "48.0kHz, 24bits, Stereo - AIFF        1:00:00.000, 172800000 frames, 988.8 MBytes"},
        {2, 44100, 16, 44100, true, WavType,
         "44.1kHz, 16bits, Split - PCM Wave        0:00:01.000, 44100 frames, 0.2 MBytes"},
        {6, 96000, 32, 5760000, true, WavType,
         "96.0kHz, 32bits, Surround 5.1 - PCM Wave        0:01:00.000, 5760000 frames, 131.8 "
         "MBytes"},
        {7, 22050, 8, 22049, true, AiffType,
         "22.1kHz, 8bits, Surround 6.1 - AIFF        0:00:01.000, 22049 frames, 0.1 MBytes"},
        {8, 44100, 16, 0, true, WavType,
         "44.1kHz, 16bits, Surround 7.1 - PCM Wave        0:00:00.000, 0 frames, 0.0 MBytes"},
        {6, 44100, 16, 0, false, WavType,
         "44.1kHz, 16bits, Stereo - PCM Wave        0:00:00.000, 0 frames, 0.0 MBytes"},
    };
    for (const Row& r : rows) {
        const Audio::AudioFormat format{r.channels, r.rate, r.bits,
                                        Audio::bytesPerSample(r.bits) * r.channels, 0};
        EXPECT_EQ(fileInfoLine(format, r.frames, r.split, r.type), r.expected);
    }
}
