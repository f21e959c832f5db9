// The wave editor window's rules that need no window: snapshot slots, the unsaved-changes
// question and the name a mark point file is saved under.
#include <gtest/gtest.h>

#include "editor/MarkPointFileName.h"
#include "editor/SelectionRange.h"
#include "editor/SnapshotSlots.h"
#include "editor/UnsavedChanges.h"

using namespace Editor;
using MarkPoints::CMarkPoint;

namespace {
Curves curvesWith(std::int32_t frame) {
    Curves c;
    c[1].insertUnique(CMarkPoint{frame, 2.0f, MarkPoints::LINEAR, 0});
    return c;
}
} // namespace

TEST(SnapshotSlots, FillInOrderAndRecallOnlyWhatWasStored) {
    SnapshotSlots slots;
    EXPECT_TRUE(slots.canStore(0));
    for (int s : {1, 2, 3, -1, 4})
        EXPECT_FALSE(slots.canStore(s)) << s;
    for (int s : {0, 3, -1, 4})
        EXPECT_FALSE(slots.canRecall(s)) << s;

    EXPECT_FALSE(slots.store(2, curvesWith(5))); // C before B: nothing happens
    EXPECT_EQ(slots.recall(2), nullptr);
    EXPECT_FALSE(slots.canStore(2));

    ASSERT_TRUE(slots.store(0, curvesWith(10)));
    EXPECT_TRUE(slots.canStore(1));
    EXPECT_FALSE(slots.canStore(2));
    ASSERT_TRUE(slots.store(1, curvesWith(20)));
    ASSERT_TRUE(slots.store(2, curvesWith(30)));
    ASSERT_TRUE(slots.store(3, curvesWith(40))); // the last slot
    EXPECT_FALSE(slots.store(4, curvesWith(50)));
    EXPECT_EQ((*slots.recall(3))[1][0].framePosition, 40);
    ASSERT_TRUE(slots.store(0, curvesWith(11))); // a filled slot is overwritten
    EXPECT_EQ((*slots.recall(0))[1][0].framePosition, 11);
    EXPECT_EQ((*slots.recall(1))[1][0].framePosition, 20);

    slots.clear();
    for (int s = 0; s < SnapshotSlots::kSlots; ++s) {
        EXPECT_FALSE(slots.canRecall(s));
        EXPECT_EQ(slots.canStore(s), s == 0);
    }
}

TEST(SnapshotSlots, AStoredSnapshotIsACopy) {
    SnapshotSlots slots;
    Curves live = curvesWith(10);
    slots.store(0, live);
    live[1].clear();
    ASSERT_EQ((*slots.recall(0))[1].size(), 1u);
}

TEST(UnsavedChanges, EachAnswerDecidesWhetherTheOperationGoesOn) {
    struct Row {
        bool modified;
        SaveAnswer answer;
        bool saveWorks;
        bool proceeds;
        int asked;
        int saved;
    };
    const Row rows[] = {
        {false, SaveAnswer::Cancel, false, true, 0, 0}, // nothing to lose: no question
        {true, SaveAnswer::Yes, true, true, 1, 1},
        {true, SaveAnswer::Yes, false, false, 1, 1}, // a failed save keeps the window
        {true, SaveAnswer::No, false, true, 1, 0},
        {true, SaveAnswer::Cancel, true, false, 1, 0},
    };
    for (const Row& r : rows) {
        int asked = 0, saved = 0;
        const bool proceeds = proceedWithUnsaved(
            r.modified, [&] { return ++asked, r.answer; }, [&] { return ++saved, r.saveWorks; });
        EXPECT_EQ(proceeds, r.proceeds) << static_cast<int>(r.answer);
        EXPECT_EQ(asked, r.asked);
        EXPECT_EQ(saved, r.saved);
    }
}

TEST(MarkPointFileName, TheTypedExtensionGivesWayToMpt) {
    const std::pair<const char*, const char*> rows[] = {
        {"take1.txt", "take1.mpt"},
        {"take1", "take1.mpt"},
        {"take1.mpt", "take1.mpt"},
        {"take.1.wav", "take.1.mpt"},
        {"/music/v1.2/take1", "/music/v1.2/take1.mpt"},
        {"/music/v1.2/take1.txt", "/music/v1.2/take1.mpt"},
        {"/music/.hidden", "/music/.hidden.mpt"},
        {"take1.", "take1.mpt"},
    };
    for (const auto& [typed, saved] : rows)
        EXPECT_EQ(markPointFileName(typed), saved) << typed;
}

TEST(SelectionRange, SpansTheSelectedPointsOfAllCurves) {
    auto curves = [](std::initializer_list<std::pair<int, std::int32_t>> points) {
        Curves c;
        for (auto [scale, frame] : points)
            c[scale].insertUnique(CMarkPoint{frame, 1.0f, MarkPoints::LINEAR, 1});
        c[0].insertUnique(CMarkPoint{5, 1.0f, MarkPoints::LINEAR, 0}); // never selected
        return c;
    };
    EXPECT_EQ(selectionRange(curves({}), 1000), std::nullopt);
    EXPECT_EQ(selectionRange(curves({{1, 300}, {2, 100}, {0, 200}}), 1000),
              (std::optional<FrameRange>{{100, 300}}));
    EXPECT_EQ(selectionRange(curves({{2, 400}}), 1000), (std::optional<FrameRange>{{400, 1000}}));
    EXPECT_EQ(selectionRange(curves({{1, 400}, {2, 400}}), 1000),
              (std::optional<FrameRange>{{400, 1000}}));
    EXPECT_EQ(selectionRange(curves({{1, 400}, {2, 1500}}), 1000),
              (std::optional<FrameRange>{{400, 1000}}));
    EXPECT_EQ(selectionRange(curves({{1, 1200}}), 1000), std::nullopt);
}
