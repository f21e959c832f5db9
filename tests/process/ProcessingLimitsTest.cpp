// Requests beyond the engine's range are refused with the range in the row's own unit.
#include <gtest/gtest.h>

#include "process/ProcessingLimits.h"

using namespace MarkPoints;

using namespace Process;

namespace {

RowSettings rowOf(int semitones, int cents, double time, TimeUnit unit, double bpm = -1.0) {
    RowSettings row;
    row.semitones = semitones;
    row.cents = cents;
    row.timeValue = time;
    row.timeUnit = unit;
    row.sourceBpm = bpm;
    return row;
}

} // namespace

TEST(ProcessingLimits, RefusesRequestsBeyondTheEngineRangeOnly) {
    struct Case {
        RowSettings row;
        double seconds;
        const char* problem; // a part of the text, or "" when the request is within range
    };
    const Case cases[] = {
        {rowOf(24, 0, 100, Percent), 1, ""},
        {rowOf(-24, 0, 100, Percent), 1, ""},
        {rowOf(23, 99, 100, Percent), 1, ""},
        {rowOf(24, 1, 100, Percent), 1, "24 semitones 1 cents is beyond the range of -24 to +24"},
        {rowOf(-24, -1, 100, Percent), 1, "-24 semitones -1 cents"},
        {rowOf(36, 0, 100, Percent), 1, "36 semitones"},
        {rowOf(-48, 0, 100, Percent), 1, "-48 semitones"},
        {rowOf(0, 0, 10, Percent), 1, ""},
        {rowOf(0, 0, 12800, Percent), 1, ""},
        {rowOf(0, 0, 9.99, Percent), 1, "a time of 9.99% is beyond the range of 10% to 12800%"},
        {rowOf(0, 0, 5, Percent), 1, "5%"},
        {rowOf(0, 0, 12801, Percent), 1, "12801%"},
        {rowOf(0, 0, 128, Seconds), 1, ""},
        {rowOf(0, 0, 0.3, Seconds), 3, ""},
        {rowOf(0, 0, 3600, Seconds), 1, "3600 s is beyond the range of 0.1 s to 128 s"},
        {rowOf(0, 0, 0.29, Seconds), 3, "0.3 s to 384 s for a source of 3 s"},
        {rowOf(0, 0, 1200, Bpm, 120), 1, ""},
        {rowOf(0, 0, 1201, Bpm, 120), 1, "0.9375 bpm to 1200 bpm for a source at 120 bpm"},
        {rowOf(0, 0, 0.9, Bpm, 120), 1, "0.9 bpm"},
        {rowOf(0, 0, 10, Seconds), 0, "no usable time factor"},
    };
    for (const Case& c : cases) {
        const std::string problem = rowBeyondLimits(c.row, c.seconds);
        if (*c.problem == '\0')
            EXPECT_EQ(problem, "") << c.row.semitones << ' ' << c.row.timeValue;
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

TEST(ProcessingLimits, FixedFactorsAndCurvesAreNotCheckedAsARequest) {
    RowSettings row = rowOf(36, 0, 5, Percent);
    row.doubleLength = true;
    EXPECT_EQ(rowBeyondLimits(row, 1), "");
    row.doubleLength = false;
    row.useMarkPoints = true;
    EXPECT_EQ(rowBeyondLimits(row, 1), "");
}

TEST(ProcessingLimits, NamesTheCurvesWithValuesBeyondTheRange) {
    RowSettings row;
    EXPECT_EQ(curvesBeyondLimits(row), "");
    row.curves[0].insertUnique({0, 0.1f, LINEAR, 0});
    row.curves[0].insertUnique({10, 128.0f, LINEAR, 0});
    row.curves[1].insertUnique({0, 0.25f, LINEAR, 0});
    row.curves[2].insertUnique({0, 4.0f, LINEAR, 0});
    EXPECT_EQ(curvesBeyondLimits(row), "");
    row.curves[0].insertUnique({20, 129.0f, LINEAR, 0}); // the last point
    row.curves[2].insertUnique({5, 0.2f, LINEAR, 0});
    EXPECT_EQ(curvesBeyondLimits(row),
              "values beyond the engine's range are taken as the nearest limit: time curve (0.1 "
              "to 128), formant curve (0.25 to 4)");
}
