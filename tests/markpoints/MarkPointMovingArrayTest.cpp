#include <gtest/gtest.h>

#include <stdexcept>

#include "markpoints/MarkPointMovingArray.h"
#include "markpoints/ValueScale.h"

#include "support/CurveFrames.h"

using namespace MarkPoints;

namespace {
CMarkPoint point(std::int32_t frame, float value, std::uint8_t selected = 1) {
    return {frame, value, LINEAR, selected};
}

struct Document {
    CMarkPointArray time, pitch, formant;
    CValueScale scale{4.0, 201, 120.0};
    CMarkPointMovingArray moving{time, pitch, formant, scale};
};
} // namespace

TEST(MarkPointMove, GroupStopsAtFrameZeroAndAtTheLastFrame) {
    Document d;
    d.time.insertUnique(point(10, 1.0f));
    d.time.insertUnique(point(40, 1.0f));
    d.pitch.insertUnique(point(25, 1.0f));
    d.moving.beginMove(true, true, true, TIMEDISPLAY_PERCENT);
    d.moving.moveBy(-100, 1000, 0);
    EXPECT_EQ(frames(d.time), (std::vector<std::int32_t>{0, 30}));
    EXPECT_EQ(frames(d.pitch), (std::vector<std::int32_t>{15}));
    d.moving.moveBy(5000, 1000, 0);
    EXPECT_EQ(frames(d.time), (std::vector<std::int32_t>{969, 999}));
    EXPECT_EQ(frames(d.pitch), (std::vector<std::int32_t>{984}));
}

TEST(MarkPointMove, NeighboursOfTheGroupDoNotCollideEitherWay) {
    Document d;
    for (std::int32_t f : {10, 11, 12})
        d.time.insertUnique(point(f, 1.0f + f * 0.1f));
    d.moving.beginMove(true, false, false, TIMEDISPLAY_PERCENT);
    d.moving.moveBy(1, 100, 0);
    EXPECT_EQ(frames(d.time), (std::vector<std::int32_t>{11, 12, 13}));
    EXPECT_FLOAT_EQ(d.time.find(11)->value, 2.0f);
    d.moving.moveBy(-1, 100, 0);
    EXPECT_EQ(frames(d.time), (std::vector<std::int32_t>{9, 10, 11}));
    EXPECT_FLOAT_EQ(d.time.find(9)->value, 2.0f);
}

TEST(MarkPointMove, DraggedValuesStayWithinRangeAndOnTheGrid) {
    Document d;
    d.time.insertUnique(point(10, 1.0f));
    d.pitch.insertUnique(point(20, 3.5f));
    d.moving.beginMove(true, true, false, TIMEDISPLAY_PERCENT);
    for (std::int32_t dy : {-1000, -37, -1, 1, 44, 1000}) {
        d.moving.moveBy(0, 100, dy);
        for (const CMarkPointArray* c : {&d.time, &d.pitch}) {
            EXPECT_GE((*c)[0].value, 0.25f) << dy;
            EXPECT_LE((*c)[0].value, 4.0f) << dy;
        }
    }
    d.moving.moveBy(0, 100, -10); // up 10 of 100 pixels per factor 4: 1.0 → about 1.1487
    EXPECT_NEAR(d.time[0].value, 1.15f, 1e-6f);
    d.moving.moveBy(0, 100, 0);
    EXPECT_EQ(d.time[0].value, 1.0f);
    EXPECT_EQ(d.pitch[0].value, 3.5f);
}

TEST(MarkPointMove, CancelRestoresTheCurvesAfterAnOverlappingMove) {
    Document d;
    for (std::int32_t f : {10, 11, 12})
        d.time.insertUnique(point(f, 1.0f + f * 0.1f));
    d.time.insertUnique(point(20, 0.5f, 0));
    const CMarkPointArray before = d.time;
    d.moving.beginMove(true, false, false, TIMEDISPLAY_PERCENT);
    d.moving.moveBy(-1, 100, 7);
    d.moving.cancelMove();
    EXPECT_EQ(d.time, before);
}

TEST(MarkPointMove, AFailedPlacementKeepsThePoint) {
    // Frames 1 and 2 are taken and frame 0 is never chosen: nowhere to go.
    Document d;
    d.time.insertUnique(point(0, 2.0f));
    d.time.insertUnique(point(1, 1.0f, 0));
    d.time.insertUnique(point(2, 1.0f, 0));
    const CMarkPointArray before = d.time;
    d.moving.beginMove(true, false, false, TIMEDISPLAY_PERCENT);
    EXPECT_THROW(d.moving.moveBy(1, 3, 0), std::runtime_error);
    EXPECT_EQ(d.time, before);
}

TEST(MarkPointSelection, RectangleCountsAndQueries) {
    Document d;
    d.time.insertUnique(point(10, 1.0f, 0));
    d.time.insertUnique(point(20, 1.0f, 0));
    d.pitch.insertUnique(point(15, 2.0f, 0));
    d.formant.insertUnique(point(30, 1.0f, 0));
    const ScaleMask shown{true, true, false};
    const auto pixel = [&d](std::uint32_t, const CMarkPoint& p) {
        return std::array<int, 2>{p.framePosition, static_cast<int>(d.scale.pixelOfValue(p.value))};
    };
    EXPECT_FALSE(d.moving.anySelected(shown));
    d.moving.selectInRect(shown, {12, 0, 31, 201}, pixel, true);
    EXPECT_EQ(d.moving.countSelected(shown), 2u);
    EXPECT_EQ(d.formant[0].selected, 0); // hidden scale untouched
    const auto first = d.moving.firstSelected(shown);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->first, SCALE_TIME);
    EXPECT_EQ(first->second.framePosition, 20);
    EXPECT_EQ(d.moving.highestSelectedFrame(shown), 20);
    d.moving.selectInRect(shown, {0, 0, 100, 60}, pixel, false); // the pitch point at 2.0
    EXPECT_EQ(d.moving.countSelected(shown), 1u);
    d.moving.clearSelection(shown);
    EXPECT_FALSE(d.moving.anySelected(shown));
    EXPECT_EQ(d.moving.highestSelectedFrame(shown), std::nullopt);
}
