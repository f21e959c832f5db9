#include <gtest/gtest.h>

#include "markpoints/MarkPointHistory.h"
#include "markpoints/MarkPointMovingArray.h"
#include "markpoints/ValueScale.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

namespace {
CMarkPoint point(std::int32_t frame, float value, std::uint8_t selected = 0) {
    return {frame, value, LINEAR, selected};
}

struct Document {
    CMarkPointArray time, pitch, formant;
    CValueScale scale{4.0, 201, 120.0};
    CMarkPointMovingArray moving{time, pitch, formant, scale};
    CMarkPointHistory history{time, pitch, formant};

    std::array<CMarkPointArray, 3> curves() const { return {time, pitch, formant}; }

    // Drags the selection like the editor: begin, move, record.
    void drag(std::int32_t dx, std::int32_t dy) {
        moving.clear();
        moving.beginMove(true, true, true, TIMEDISPLAY_PERCENT);
        moving.moveBy(dx, 1000, dy);
        history.pushMove(moving);
    }
};
} // namespace

TEST(MarkPointHistory, GroupMoveOntoItsOwnFramesUndoesAndRedoesExactly) {
    // Each point moves onto the frame its neighbour has just left: applied one by one in
    // either direction the changes meet a point that has not moved yet.
    Document d;
    d.time.insertUnique(point(10, 1.5f, 1));
    d.time.insertUnique(point(11, 2.5f, 1));
    d.time.insertUnique(point(12, 3.5f, 1));
    d.formant.insertUnique(point(11, 0.5f, 1));
    const auto original = d.curves();
    d.drag(1, 0);
    const auto moved = d.curves();
    ASSERT_NE(moved, original);
    d.history.undo();
    EXPECT_EQ(d.curves(), original);
    d.history.redo();
    EXPECT_EQ(d.curves(), moved);
    d.history.undo();
    EXPECT_EQ(d.curves(), original);
}

TEST(MarkPointHistory, DeleteAndStyleChangesRoundTrip) {
    Document d;
    d.time.insertUnique(point(10, 1.5f, 1));
    d.time.insertUnique(point(20, 2.5f));
    d.pitch.insertUnique(point(5, 0.5f, 1));
    const auto original = d.curves();

    d.history.pushStyle(SQUARE);
    d.time.find(10)->lineStyle = SQUARE;
    d.pitch.find(5)->lineStyle = SQUARE;
    const auto styled = d.curves();
    ASSERT_EQ(d.history[0].changes.size(), 2u);

    CMarkPointArray deletedTime, none, deletedPitch;
    deletedTime.append(*d.time.find(10));
    deletedPitch.append(*d.pitch.find(5));
    d.time.remove(10);
    d.pitch.remove(5);
    d.history.pushSelected(HISTORY_DELETE, deletedTime, deletedPitch, none);
    const auto deleted = d.curves();

    d.history.undo();
    EXPECT_EQ(d.curves(), styled);
    d.history.undo();
    EXPECT_EQ(d.curves(), original);
    d.history.redo();
    d.history.redo();
    EXPECT_EQ(d.curves(), deleted);
    EXPECT_FALSE(d.history.canRedo());
}

TEST(MarkPointHistory, NewEditAfterUndoDiscardsTheRedoBranch) {
    Document d;
    d.time.insertUnique(point(10, 1.5f));
    d.history.pushAdded(SCALE_TIME, point(10, 1.5f));
    d.time.insertUnique(point(20, 1.5f));
    d.history.pushAdded(SCALE_TIME, point(20, 1.5f));
    d.history.undo();
    EXPECT_TRUE(d.history.canRedo());
    EXPECT_EQ(d.time.size(), 1u);
    d.time.insertUnique(point(30, 0.5f));
    d.history.pushAdded(SCALE_TIME, point(30, 0.5f));
    EXPECT_EQ(d.history.size(), 2u);
    EXPECT_FALSE(d.history.canRedo());
    d.history.undo();
    d.history.undo();
    EXPECT_TRUE(d.time.empty());
    d.history.redo();
    d.history.redo();
    ASSERT_EQ(d.time.size(), 2u);
    EXPECT_EQ(d.time[1].framePosition, 30);
}

// A point that stands where a deleted or added one would come back is never overwritten: the
// whole step is refused and neither the curves nor the cursor move.
TEST(MarkPointHistory, PointsComingBackOntoATakenFrameAreRefusedAsAWhole) {
    auto expectRefused = [](Document& d, bool undo) {
        const auto before = d.curves();
        const std::size_t cursor = d.history.getCursor();
        EXPECT_EQ(TestSupport::errorText<std::runtime_error>(
                      [&] { undo ? d.history.undo() : d.history.redo(); }),
                  "cannot add two mark points at the same Frame Position!");
        EXPECT_EQ(d.curves(), before);
        EXPECT_EQ(d.history.getCursor(), cursor);
    };
    Document d;
    CMarkPointArray deletedTime, deletedPitch, none;
    deletedTime.append(point(10, 1.5f));
    deletedPitch.append(point(5, 0.5f));
    deletedPitch.append(point(20, 2.5f)); // the last point of the last curve collides
    d.history.pushSelected(HISTORY_DELETE, deletedTime, deletedPitch, none);
    d.pitch.insertUnique(point(20, 3.0f));
    expectRefused(d, true);
    d.pitch.remove(20);
    d.history.undo();
    EXPECT_EQ(d.pitch.size(), 2u);

    d.history.clear();
    d.history.pushAdded(SCALE_FORMANT, point(7, 0.75f));
    d.history.undo();
    d.formant.insertUnique(point(7, 1.25f));
    expectRefused(d, false);
    EXPECT_EQ(d.formant.find(7)->value, 1.25f);
}
