// A job's curve copy evaluated forward with its cursor.
#include <gtest/gtest.h>

#include "JobTestFiles.h"
#include "process/ScaleArray.h"

using namespace MarkPoints;

using JobTest::curve;
using Process::ScaleArray;

TEST(ScaleArray, EmptyCurveIsOneEverywhere) {
    ScaleArray scale{CMarkPointArray()};
    EXPECT_EQ(scale.evaluate(0), 1.0);
    EXPECT_EQ(scale.evaluate(123456), 1.0);
}

TEST(ScaleArray, LinearFirstPointRisesFromOneAtFrameZero) {
    ScaleArray scale(curve({{1000, 2.0f, LINEAR}}));
    EXPECT_DOUBLE_EQ(scale.evaluate(0), 1.0);
    EXPECT_DOUBLE_EQ(scale.evaluate(250), 1.25);
    EXPECT_DOUBLE_EQ(scale.evaluate(500), 1.5);
    EXPECT_DOUBLE_EQ(scale.evaluate(1000), 2.0);
}

TEST(ScaleArray, LinearBetweenTwoPoints) {
    ScaleArray scale(curve({{1000, 2.0f, LINEAR}, {3000, 0.5f, LINEAR}}));
    EXPECT_DOUBLE_EQ(scale.evaluate(1000), 2.0);
    EXPECT_DOUBLE_EQ(scale.evaluate(2000), 1.25);
    EXPECT_DOUBLE_EQ(scale.evaluate(2500), 0.875);
}

TEST(ScaleArray, SquareHoldsTheEarlierPointUntilItsOwn) {
    ScaleArray scale(curve({{1000, 2.0f, SQUARE}, {3000, 0.5f, SQUARE}}));
    EXPECT_EQ(scale.evaluate(999), 1.0);
    EXPECT_EQ(scale.evaluate(1000), 2.0);
    EXPECT_EQ(scale.evaluate(2999), 2.0);
    EXPECT_EQ(scale.evaluate(3000), 0.5);
}

// KEEP leaves the factor where the previous evaluation put it, which is not necessarily the
// earlier point's value.
TEST(ScaleArray, KeepHoldsThePreviousEvaluation) {
    ScaleArray scale(curve({{1000, 2.0f, LINEAR}, {3000, 0.5f, KEEP}}));
    EXPECT_DOUBLE_EQ(scale.evaluate(500), 1.5);
    EXPECT_DOUBLE_EQ(scale.evaluate(1500), 1.5);
    EXPECT_DOUBLE_EQ(scale.evaluate(2999), 1.5);
    EXPECT_DOUBLE_EQ(scale.evaluate(3000), 0.5);

    scale.rewind();
    EXPECT_DOUBLE_EQ(scale.evaluate(999), 1.999);
    EXPECT_DOUBLE_EQ(scale.evaluate(2000), 1.999);
}

TEST(ScaleArray, KeepAsFirstPointHoldsOne) {
    ScaleArray scale(curve({{1000, 3.0f, KEEP}}));
    EXPECT_EQ(scale.evaluate(10), 1.0);
    EXPECT_EQ(scale.evaluate(1000), 3.0);
}

TEST(ScaleArray, LastValueHoldsPastTheLastPoint) {
    ScaleArray scale(curve({{100, 0.75f, LINEAR}, {200, 1.5f, LINEAR}}));
    EXPECT_DOUBLE_EQ(scale.evaluate(200), 1.5);
    EXPECT_DOUBLE_EQ(scale.evaluate(1'000'000), 1.5);
}

TEST(ScaleArray, RewindStartsAgainBeforeTheFirstPoint) {
    ScaleArray scale(curve({{100, 4.0f, SQUARE}}));
    EXPECT_EQ(scale.evaluate(5000), 4.0);
    scale.rewind();
    EXPECT_EQ(scale.evaluate(50), 1.0);
}

TEST(ScaleArray, UnknownStyleThrowsTheDocumentedText) {
    for (const std::uint32_t style : {0u, 8u, 16u}) {
        ScaleArray scale(curve({{100, 2.0f, style}}));
        try {
            scale.evaluate(10);
            ADD_FAILURE() << "style " << style << " was accepted";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "CKALO2FileProcess::process_ScaleArray: unknown Type!");
        }
    }
}

// The bits are tested in the order LINEAR, KEEP, SQUARE: a point with several takes the first.
TEST(ScaleArray, CombinedStyleBitsFollowTheTestOrder) {
    ScaleArray linear(curve({{1000, 2.0f, LINEAR | SQUARE | KEEP}}));
    EXPECT_DOUBLE_EQ(linear.evaluate(500), 1.5);
    ScaleArray keep(curve({{10, 0.5f, LINEAR}, {1000, 2.0f, KEEP | SQUARE}}));
    EXPECT_DOUBLE_EQ(keep.evaluate(5), 0.75);
    EXPECT_DOUBLE_EQ(keep.evaluate(500), 0.75);
}
