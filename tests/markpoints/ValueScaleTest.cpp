#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "markpoints/MarkPoint.h"
#include "markpoints/ValueScale.h"
#include "markpoints/ValueSnapping.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

TEST(ValueScale, PixelsSpanTheRangeLogarithmically) {
    const CValueScale scale(4.0, 201, 120.0);
    EXPECT_DOUBLE_EQ(scale.getHalfHeight(), 100.0);
    EXPECT_DOUBLE_EQ(scale.getMinimum(), 0.25);
    EXPECT_NEAR(scale.pixelOfValue(4.0), 0.0, 1e-12);
    EXPECT_NEAR(scale.pixelOfValue(1.0), 100.0, 1e-12);
    EXPECT_NEAR(scale.pixelOfValue(0.25), 200.0, 1e-12);
    EXPECT_NEAR(scale.pixelOfValue(2.0), 50.0, 1e-12);
    for (double y : {0.0, 17.0, 100.0, 163.5, 200.0})
        EXPECT_NEAR(scale.pixelOfValue(scale.valueOfPixel(y)), y, 1e-9);
}

TEST(ValueScale, SemitonesAndBpm) {
    const CValueScale scale(4.0, 101, 120.0);
    EXPECT_NEAR(scale.semitonesOfValue(2.0), 12.0, 1e-12);
    EXPECT_NEAR(scale.semitonesOfValue(0.25), -24.0, 1e-12);
    EXPECT_NEAR(scale.valueOfSemitones(-12.0), 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(scale.bpmOfValue(0.5), 240.0);
    EXPECT_DOUBLE_EQ(scale.valueOfBpm(96.0), 1.25);
}

TEST(ValueScale, ClampKeepsTheBoundsAndRefusesNotANumber) {
    const CValueScale scale(4.0, 101, 120.0);
    EXPECT_EQ(scale.clamp(0.1), 0.25);
    EXPECT_EQ(scale.clamp(4.0), 4.0);
    EXPECT_EQ(scale.clamp(1e30), 4.0);
    EXPECT_EQ(scale.clamp(std::nan("")), 0.25);
}

TEST(ValueScale, DisplayFormats) {
    const CValueScale scale(4.0, 101, 120.0);
    EXPECT_EQ(scale.format(SCALE_TIME, TIMEDISPLAY_PERCENT, 1.255, true), "125.50 %");
    EXPECT_EQ(scale.format(SCALE_TIME, TIMEDISPLAY_PERCENT, 0.5, false), "50.00");
    EXPECT_EQ(scale.format(SCALE_TIME, TIMEDISPLAY_BPM, 0.8, true), "150.00 BPM");
    EXPECT_EQ(scale.format(SCALE_PITCH, 0, 2.0, true), "P 12.00");
    EXPECT_EQ(scale.format(SCALE_FORMANT, 0, 0.5, true), "F -12.00");
    EXPECT_EQ(scale.format(SCALE_FORMANT, 0, 0.5, false), "-12.00");
    EXPECT_NEAR(scale.valueOfDisplay(SCALE_PITCH, 0, 7.0), std::pow(2.0, 7.0 / 12.0), 1e-8);
    EXPECT_NEAR(scale.valueOfDisplay(SCALE_TIME, TIMEDISPLAY_BPM, 150.0), 0.8, 1e-12);
    EXPECT_EQ(TestSupport::errorText<std::invalid_argument>(
                  [&] { scale.format(SCALE_TIME, 3, 1.0, true); }),
              "a not existing time scale convert function was selected!");
}

TEST(ValueSnapping, OrdinaryViewSnapsTimeToWholePercent) {
    const CValueScale scale(4.0, 401, 120.0);
    for (double y = 150; y < 250; y += 7) {
        const double v = snappedValueOfPixel(scale, SCALE_TIME, TIMEDISPLAY_PERCENT, y);
        EXPECT_NEAR(v * 100.0, std::nearbyint(scale.valueOfPixel(y) * 100.0), 1e-9) << y;
    }
}

TEST(ValueSnapping, PercentGridTurnsFineAboveAbout1261PixelsHalfHeight) {
    // One pixel near 1.0 changes the value by about ln(4) / half.
    const CValueScale coarse(4.0, 2 * 1250 + 1, 120.0);
    const CValueScale fine(4.0, 2 * 1300 + 1, 120.0);
    const double y = 1250 - 7;
    const double c = snappedValueOfPixel(coarse, SCALE_TIME, TIMEDISPLAY_PERCENT, y);
    EXPECT_NEAR(c * 100.0, std::nearbyint(c * 100.0), 1e-9);
    const double yf = 1300 - 7;
    const double f = snappedValueOfPixel(fine, SCALE_TIME, TIMEDISPLAY_PERCENT, yf);
    EXPECT_NEAR(f, std::nearbyint(fine.valueOfPixel(yf) * 1000.0) * 0.001, 1e-12);
    EXPECT_GT(std::fabs(f * 100.0 - std::nearbyint(f * 100.0)), 0.05);
}

TEST(ValueSnapping, BpmAndSemitoneGrids) {
    const CValueScale scale(4.0, 401, 120.0);
    const double y = 137.0;
    const double bpmValue = snappedValueOfPixel(scale, SCALE_TIME, TIMEDISPLAY_BPM, y);
    EXPECT_NEAR(120.0 / bpmValue, std::nearbyint(120.0 / scale.valueOfPixel(y)), 1e-9);
    // Semitones: about 0.12 per pixel here, so the grid is a tenth of a semitone.
    const double s = scale.semitonesOfValue(snappedValueOfPixel(scale, SCALE_PITCH, 0, y));
    EXPECT_NEAR(s * 10.0, std::nearbyint(scale.semitonesOfValue(scale.valueOfPixel(y)) * 10.0),
                1e-9);
    // A short axis moves by several semitones per pixel: whole semitones.
    const CValueScale small(4.0, 11, 120.0);
    const double whole = small.semitonesOfValue(snappedValueOfPixel(small, SCALE_FORMANT, 0, 3.0));
    EXPECT_NEAR(whole, std::nearbyint(whole), 1e-9);
    EXPECT_NE(whole, 0.0);
}
