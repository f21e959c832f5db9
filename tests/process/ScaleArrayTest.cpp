// A job's curve copy evaluated forward with its cursor.
#include <gtest/gtest.h>

#include "JobTestFiles.h"
#include "process/ScaleArray.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

using JobTest::curve;
using Process::ScaleArray;

// Each row evaluates one curve forward from a fresh cursor.
TEST(ScaleArray, EvaluatesEachStyleForward) {
    struct Row {
        const char* what;
        CMarkPointArray points;
        std::vector<std::pair<std::int64_t, double>> steps; // frame, expected factor
    };
    const Row rows[] = {
        {"empty curve", {}, {{0, 1.0}, {123456, 1.0}}},
        {"linear first point rises from 1 at frame 0",
         curve({{1000, 2.0f, LINEAR}}),
         {{0, 1.0}, {250, 1.25}, {500, 1.5}, {1000, 2.0}}},
        {"linear between two points",
         curve({{1000, 2.0f, LINEAR}, {3000, 0.5f, LINEAR}}),
         {{1000, 2.0}, {2000, 1.25}, {2500, 0.875}}},
        {"square holds the earlier point until its own",
         curve({{1000, 2.0f, SQUARE}, {3000, 0.5f, SQUARE}}),
         {{999, 1.0}, {1000, 2.0}, {2999, 2.0}, {3000, 0.5}}},
        // KEEP holds the previous evaluation, not necessarily the earlier point's value.
        {"keep holds the previous evaluation",
         curve({{1000, 2.0f, LINEAR}, {3000, 0.5f, KEEP}}),
         {{500, 1.5}, {1500, 1.5}, {2999, 1.5}, {3000, 0.5}}},
        {"keep as first point holds 1", curve({{1000, 3.0f, KEEP}}), {{10, 1.0}, {1000, 3.0}}},
        {"the last value holds past the last point",
         curve({{100, 0.75f, LINEAR}, {200, 1.5f, LINEAR}}),
         {{200, 1.5}, {1'000'000, 1.5}}},
        // The bits are tested in the order LINEAR, KEEP, SQUARE: a point with several takes the
        // first.
        {"linear before keep and square",
         curve({{1000, 2.0f, LINEAR | SQUARE | KEEP}}),
         {{500, 1.5}}},
        {"keep before square",
         curve({{10, 0.5f, LINEAR}, {1000, 2.0f, KEEP | SQUARE}}),
         {{5, 0.75}, {500, 0.75}}},
    };
    for (const Row& r : rows) {
        ScaleArray scale(r.points);
        for (const auto& [frame, expected] : r.steps)
            EXPECT_DOUBLE_EQ(scale.evaluate(frame), expected) << r.what << ", frame " << frame;
    }
}

TEST(ScaleArray, RewindStartsAgainBeforeTheFirstPoint) {
    ScaleArray square(curve({{100, 4.0f, SQUARE}}));
    EXPECT_EQ(square.evaluate(5000), 4.0);
    square.rewind();
    EXPECT_EQ(square.evaluate(50), 1.0);

    ScaleArray keep(curve({{1000, 2.0f, LINEAR}, {3000, 0.5f, KEEP}}));
    EXPECT_DOUBLE_EQ(keep.evaluate(3000), 0.5);
    keep.rewind();
    EXPECT_DOUBLE_EQ(keep.evaluate(999), 1.999);
    EXPECT_DOUBLE_EQ(keep.evaluate(2000), 1.999);

    ScaleArray keepFirst(curve({{1000, 3.0f, KEEP}}));
    EXPECT_EQ(keepFirst.evaluate(1000), 3.0);
    keepFirst.rewind();
    EXPECT_EQ(keepFirst.evaluate(10), 1.0);
}

TEST(ScaleArray, UnknownStyleThrowsTheDocumentedText) {
    for (const std::uint32_t style : {0u, 8u, 16u}) {
        ScaleArray scale(curve({{100, 2.0f, style}}));
        EXPECT_EQ(TestSupport::errorText([&] { scale.evaluate(10); }),
                  "CKALO2FileProcess::process_ScaleArray: unknown Type!")
            << style;
    }
}
