#include <gtest/gtest.h>

#include <stdexcept>

#include "markpoints/MarkPointArray.h"
#include "support/TestSupport.h"

#include "support/CurveFrames.h"

using namespace MarkPoints;
using TestSupport::curveOf;

namespace {
CMarkPoint point(std::int32_t frame, float value = 1.0f, std::uint32_t style = LINEAR) {
    return {frame, value, style, 0};
}

} // namespace

// valueAt for each style, with rows on both sides of every point and past the last one.
TEST(MarkPointCurve, ValueAtEachStyle) {
    const CMarkPointArray empty, linear = curveOf({point(1000, 2.0f)});
    const CMarkPointArray square = curveOf({point(100, 0.5f), point(200, 3.0f, SQUARE)});
    const CMarkPointArray keep =
        curveOf({point(100, 2.0f), point(200, 0.5f, KEEP), point(300, 4.0f, KEEP)});
    const CMarkPointArray keepFirst = curveOf({point(100, 3.0f, KEEP)});
    const struct {
        const CMarkPointArray& curve;
        std::int32_t frame;
        double value;
    } rows[] = {
        {empty, 0, 1.0},        {empty, INT32_MAX, 1.0}, {linear, -5, 1.0},
        {linear, 500, 1.5},     {linear, 999, 1.999},    {linear, 1000, 2.0},
        {linear, 1000000, 2.0}, {square, 100, 0.5},      {square, 199, 0.5},
        {square, 200, 3.0},     {square, 5000, 3.0},     {keep, 150, 2.0},
        {keep, 250, 2.0},       {keep, 299, 2.0},        {keep, 300, 4.0},
        {keep, INT32_MAX, 4.0}, {keepFirst, 50, 1.0},
    };
    for (const auto& row : rows)
        EXPECT_NEAR(row.curve.valueAt(row.frame), row.value, 1e-12) << row.frame;
}

TEST(MarkPointCurve, StyleBitsAreTestedLinearKeepSquare) {
    const CMarkPointArray both = curveOf({point(100, 2.0f), point(200, 3.0f, LINEAR | SQUARE)});
    EXPECT_DOUBLE_EQ(both.valueAt(150), 2.5);
    const CMarkPointArray keepSquare =
        curveOf({point(100, 2.0f, SQUARE), point(200, 3.0f, KEEP | SQUARE)});
    EXPECT_DOUBLE_EQ(keepSquare.valueAt(150), 2.0);
    const CMarkPointArray unknown = curveOf({point(100, 2.0f, 8)});
    EXPECT_THROW(unknown.valueAt(50), std::runtime_error);
}

TEST(MarkPointCurve, FarApartPointsInterpolateWithoutOverflow) {
    // Frames read from a file may be negative; the span between them exceeds 32 bits.
    const CMarkPointArray curve = curveOf({point(INT32_MIN, 1.0f, SQUARE), point(INT32_MAX, 3.0f)});
    EXPECT_NEAR(curve.valueAt(0), 2.0, 1e-6);
}

TEST(MarkPointArray, LookupsInsertionAndRemoval) {
    CMarkPointArray curve = curveOf({point(30), point(10, 2.0f), point(20)});
    EXPECT_EQ(frames(curve), (std::vector<std::int32_t>{10, 20, 30}));
    EXPECT_EQ(curve.find(21), nullptr);
    EXPECT_EQ(curve.lowerBound(21), 2u);
    EXPECT_EQ(curve.lowerBound(31), 3u);
    EXPECT_THROW(curve.insertUnique(point(10, 3.0f)), std::runtime_error);
    EXPECT_EQ(curve.find(10)->value, 2.0f);
    curve.remove(21);
    curve.remove(20);
    EXPECT_EQ(frames(curve), (std::vector<std::int32_t>{10, 30}));
}

TEST(MarkPointInsertFree, OccupiedFrameGoesToTheNextFreeFrameAbove) {
    CMarkPointArray curve = curveOf({point(10), point(11), point(12), point(14)});
    CMarkPoint p = point(10, 3.0f, KEEP);
    p.selected = 1;
    EXPECT_EQ(curve.insertFree(p, 100), 13);
    EXPECT_EQ(frames(curve), (std::vector<std::int32_t>{10, 11, 12, 13, 14}));
    p.framePosition = 13;
    EXPECT_EQ(*curve.find(13), p);
    // Past the end of the array the frame after the run is free.
    EXPECT_EQ(curve.insertFree(point(14), 100), 15);
}

TEST(MarkPointInsertFree, FullRunUpToTheLimitGoesToTheNearestFreeFrameBelow) {
    CMarkPointArray curve = curveOf({point(3), point(7), point(8), point(9)});
    EXPECT_EQ(curve.insertFree(point(8), 10), 6);
    // Below the first point is free as well, down to frame 1.
    CMarkPointArray low = curveOf({point(2), point(3), point(4)});
    EXPECT_EQ(low.insertFree(point(3), 5), 1);
}

TEST(MarkPointInsertFree, NeverChoosesFrameZeroAndFailsWithoutChange) {
    CMarkPointArray curve = curveOf({point(1), point(2), point(3)});
    const CMarkPointArray before = curve;
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { curve.insertFree(point(2), 4); }),
              "cannot find a free place to add this point into!");
    EXPECT_EQ(curve, before);
}
