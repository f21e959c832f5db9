#include <gtest/gtest.h>

#include "editor/MarkPointHistory.h"
#include "editor/MarkPointMovingArray.h"
#include "editor/ValueScale.h"

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

TEST(MarkPointHistory, StartsWithNothingToUndoOrRedo) {
    Document d;
    EXPECT_FALSE(d.history.canUndo());
    EXPECT_FALSE(d.history.canRedo());
    d.history.undo();
    d.history.redo();
    EXPECT_TRUE(d.time.empty());
}

TEST(MarkPointHistory, AddedPointIsUndoneAndRedone) {
    Document d;
    const CMarkPoint p = point(100, 2.0f);
    d.pitch.insertUnique(p);
    d.history.pushAdded(SCALE_PITCH, p);
    EXPECT_TRUE(d.history.canUndo());
    d.history.undo();
    EXPECT_TRUE(d.pitch.empty());
    EXPECT_FALSE(d.history.canUndo());
    EXPECT_TRUE(d.history.canRedo());
    d.history.redo();
    ASSERT_EQ(d.pitch.size(), 1u);
    EXPECT_EQ(d.pitch[0], p);
}

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

TEST(MarkPointHistory, PushSelectedOrdersByScaleThenFrame) {
    Document d;
    CMarkPointArray time, pitch, formant;
    formant.append(point(1, 1.0f));
    time.append(point(30, 1.0f));
    time.append(point(20, 1.0f));
    d.history.pushSelected(HISTORY_ADD, time, pitch, formant);
    const auto& changes = d.history[0].changes;
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].after.framePosition, 20);
    EXPECT_EQ(changes[1].after.framePosition, 30);
    EXPECT_EQ(changes[2].scaleId, SCALE_FORMANT);
    d.history.clear();
    EXPECT_FALSE(d.history.canUndo());
    EXPECT_EQ(d.history.getCursor(), 0u);
}
