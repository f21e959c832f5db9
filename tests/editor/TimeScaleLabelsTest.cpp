#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/TimeScaleLabels.h"
#include "support/TestSupport.h"

using namespace Editor;

struct LabelRow {
    std::int64_t frame;
    double rate;
    std::string expected;
};

TEST(TimeScaleLabels, ClockTime) {
    const std::vector<LabelRow> rows{
        {0, 44100, " 0"},
        {44100, 44100, " 1s"},
        {66150, 44100, " 1s500ms"},
        {5, 44100, " 0.1ms"},              // 113 us: below a millisecond
        {22, 44100, " 0.4ms"},             // 498 us
        {86, 48000, " 1.7ms"},             // 1 ms and 791 us
        {44099, 44100, " 1s"},             // a hair below a second: no rest is left
        {3600LL * 44100, 44100, " 1h"},    // hours alone
        {175752000, 48000, " 1h1m1s500ms"} // 3661.5 s
    };
    for (const LabelRow& r : rows)
        EXPECT_EQ(createTimeInfoString(r.frame, r.rate, -1.0, TIMESCALE_CLOCK), r.expected)
            << r.frame;
}

TEST(TimeScaleLabels, MusicalTime) {
    // 48 kHz at 120 BPM: a bar is 96000 frames, a beat 24000, a sixteenth 6000, a tick 25.
    const std::vector<LabelRow> rows{
        {0, 48000, " 1"},
        {192000, 48000, " 3"},
        {216000, 48000, " 3.2"},
        {219000, 48000, " 3.2.1.120"},
        {198000, 48000, " 3.1.2"},
        {192000 - 3, 48000, " 3"},   // a few frames before the bar rounds onto it
        {192000 - 800, 48000, " 3"}, // still within 0.01 of a bar: no negative ticks
        {192000 - 1000, 48000, " 2.4.4.200"},
    };
    for (const LabelRow& r : rows)
        EXPECT_EQ(createTimeInfoString(r.frame, r.rate, 120.0, TIMESCALE_MUSICAL), r.expected)
            << r.frame;
}

TEST(TimeScaleLabels, UnsupportedTypesAndTempo) {
    for (const std::uint32_t type : {0u, 3u})
        EXPECT_EQ(TestSupport::errorText<std::invalid_argument>(
                      [&] { createTimeInfoString(0, 44100, 120, type); }),
                  kLabelTypeUnsupported);
    EXPECT_EQ(TestSupport::errorText<std::invalid_argument>([] { tickSpacing(7, 44100, 120, 1); }),
              kDrawTypeUnsupported);
    EXPECT_THROW(createTimeInfoString(0, 44100, -1.0, TIMESCALE_MUSICAL), std::invalid_argument);
}

TEST(TimeScaleLabels, MusicalTicksSubdivideAndGroupBars) {
    struct Row {
        double framesPerPixel;
        std::uint32_t level;
        std::int64_t barsPerTick;
    };
    // 48 kHz at 120 BPM: 96000 frames a bar.
    const std::vector<Row> rows{
        {1.0, 5, 0},     // 96000 px a bar down to 5 ticks (125 px)
        {100.0, 1, 0},   // 960 px a bar: beats of 240 px
        {400.0, 0, 1},   // 240 px a bar
        {1920.0, 0, 4},  // 50 px a bar: every 4th bar
        {9600.0, 0, 16}, // 10 px a bar: every 16th bar
    };
    for (const Row& r : rows) {
        const TickSpacing s = musicalTickSpacing(48000, 120, r.framesPerPixel);
        EXPECT_EQ(s.level, r.level) << r.framesPerPixel;
        EXPECT_EQ(s.barsPerTick, r.barsPerTick) << r.framesPerPixel;
        EXPECT_NEAR(s.pixels * r.framesPerPixel, s.frames, 1e-6);
    }
    // Every 4th and every 16th bar carries the labels when zoomed out.
    const auto labels = [](double fpp) {
        const TickSpacing s = musicalTickSpacing(48000, 120, fpp);
        std::vector<std::string> out;
        for (const Tick& t : visibleTicks(s, 0, fpp, 800))
            out.push_back(createTimeInfoString(t.frame, 48000, 120, TIMESCALE_MUSICAL));
        return out;
    };
    EXPECT_EQ(labels(1920.0), (std::vector<std::string>{" 1", " 5", " 9", " 13", " 17"}));
    EXPECT_EQ(labels(9600.0), (std::vector<std::string>{" 1", " 17", " 33", " 49", " 65", " 81"}));
}

TEST(TimeScaleLabels, SubdividedTicksLabelTheirOwnPositions) {
    // 44.1 kHz at 120 BPM: a tick of a sixteenth is 22.97 frames, the ticks of the ruler fall
    // between frames.
    for (const double fpp : {8.0, 2.0, 0.5}) {
        const TickSpacing s = musicalTickSpacing(44100, 120, fpp);
        ASSERT_GE(s.level, 3u);
        const double ticksPerStep = s.frames / (framesPerBar(44100, 120) / 3840.0);
        for (const Tick& t : visibleTicks(s, 190000, fpp, 1000)) {
            const MusicalPosition m = musicalPosition(static_cast<double>(t.frame), 44100, 120);
            const double tick = static_cast<double>(m.tick);
            EXPECT_NEAR(std::fmod(tick, ticksPerStep), 0.0, 1e-9) << fpp << " " << t.frame;
        }
    }
}

TEST(TimeScaleLabels, TicksStayBetween75And300Pixels) {
    for (double fpp = 0.02; fpp < 2e6; fpp *= 1.37) {
        for (const double bpm : {120.0, 97.3, 174.0}) {
            const TickSpacing m = musicalTickSpacing(44100, bpm, fpp);
            EXPECT_GE(m.pixels, 75.0) << fpp << " " << bpm;
            // The last division (by 5) may not fit: the 5-tick steps then stay wider.
            if (m.level < 5) {
                EXPECT_LE(m.pixels, 300.0) << fpp << " " << bpm;
            }
        }
        if (fpp < 0.015) continue; // finer than 0.1 ms is not labelled
        const TickSpacing c = clockTickSpacing(44100, fpp);
        EXPECT_GE(c.pixels, 75.0) << fpp;
        EXPECT_LE(c.pixels, 300.0) << fpp;
    }
}

TEST(TimeScaleLabels, VisibleTicksCoverTheViewOnly) {
    const TickSpacing s = clockTickSpacing(44100, 100.0); // 0.2 s: 88.2 px
    const std::vector<Tick> ticks = visibleTicks(s, 50000, 100.0, 500);
    ASSERT_EQ(ticks.size(), 6u); // 0.2 s (8820) is before frame 50000; 1.2 s .. 2.2 s
    EXPECT_EQ(ticks.front().frame, 52920);
    EXPECT_NEAR(ticks.front().x, 29.2, 1e-9);
    EXPECT_LE(ticks.back().x, 500.0);
    EXPECT_EQ(createTimeInfoString(ticks[1].frame, 44100, -1, TIMESCALE_CLOCK), " 1s400ms");
}
