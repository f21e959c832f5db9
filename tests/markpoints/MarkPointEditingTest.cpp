#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "markpoints/MarkPointHistory.h"
#include "markpoints/MarkPointMovingArray.h"
#include "markpoints/ValueScale.h"

using namespace MarkPoints;

namespace {
constexpr std::int32_t fileLength = 48; // short, so that edits crowd each other

struct Editor {
    CMarkPointArray curves[3];
    CValueScale scale{4.0, 121, 120.0};
    CMarkPointMovingArray moving{curves[0], curves[1], curves[2], scale};
    CMarkPointHistory history{curves[0], curves[1], curves[2]};
    std::mt19937 random{20261206};

    int pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

    void add() {
        const std::uint32_t id = 1 + pick(3);
        const CMarkPoint p{pick(fileLength), 0.25f + 0.25f * pick(16), std::uint32_t{1} << pick(3),
                           0};
        try {
            CMarkPoint placed = p;
            placed.framePosition = curves[id - 1].insertFree(p, fileLength);
            history.pushAdded(id, placed);
        } catch (const std::runtime_error&) {
        }
    }
    void select() {
        for (CMarkPointArray& c : curves)
            for (CMarkPoint& p : c)
                p.selected = pick(3) == 0;
    }
    void drag() {
        moving.clear();
        moving.beginMove(true, true, true, 1 + pick(2));
        try {
            for (int step = pick(4); step >= 0; --step)
                moving.moveBy(pick(21) - 10, fileLength, pick(9) - 4);
        } catch (const std::runtime_error&) {
        }
        if (pick(4) == 0)
            moving.cancelMove();
        else
            history.pushMove(moving);
    }
    void removeSelected() {
        CMarkPointArray removed[3];
        for (int s = 0; s < 3; ++s) {
            for (const CMarkPoint& p : curves[s])
                if (p.selected) removed[s].append(p);
            for (const CMarkPoint& p : removed[s])
                curves[s].remove(p.framePosition);
        }
        history.pushSelected(HISTORY_DELETE, removed[0], removed[1], removed[2]);
    }
    void restyle() {
        const std::uint32_t style = std::uint32_t{1} << pick(3);
        history.pushStyle(style);
        for (CMarkPointArray& c : curves)
            for (CMarkPoint& p : c)
                if (p.selected) p.lineStyle = style;
    }

    // Selection is not part of the history: compare positions, values and styles.
    std::vector<CMarkPoint> shape() const {
        std::vector<CMarkPoint> all;
        for (const CMarkPointArray& c : curves)
            for (CMarkPoint p : c) {
                p.selected = 0;
                all.push_back(p);
            }
        all.push_back({-1, 0, 0, 0});
        return all;
    }
    void expectValidCurves() const {
        for (const CMarkPointArray& c : curves)
            for (std::size_t i = 0; i < c.size(); ++i) {
                ASSERT_TRUE(c[i].framePosition >= 0 && c[i].framePosition < fileLength);
                ASSERT_TRUE(c[i].value >= 0.25f && c[i].value <= 4.0f);
                if (i > 0) {
                    ASSERT_LT(c[i - 1].framePosition, c[i].framePosition);
                }
            }
    }
};
} // namespace

TEST(MarkPointEditing, RandomEditsKeepCurvesValidAndUndoRedoExact) {
    Editor editor;
    CMarkPointHistory& history = editor.history;
    // The curves as they stood behind each history entry.
    std::vector<std::vector<CMarkPoint>> states{editor.shape()};
    for (int edit = 0; edit < 5000; ++edit) {
        const std::size_t entriesBefore = history.size();
        const std::size_t cursorBefore = history.getCursor();
        const int action = editor.pick(7);
        switch (action) {
        case 0:
        case 1:
            editor.add();
            break;
        case 2:
            editor.select();
            break;
        case 3:
            editor.drag();
            break;
        case 4:
            editor.pick(4) == 0 ? editor.removeSelected() : editor.restyle();
            break;
        case 5:
            history.undo();
            break;
        default:
            history.redo();
            break;
        }
        editor.expectValidCurves();
        if (HasFatalFailure()) FAIL() << "after edit " << edit;
        const std::size_t cursor = history.getCursor();
        if (action < 5 && (history.size() != entriesBefore || cursor != cursorBefore)) {
            states.resize(cursor);
            states.push_back(editor.shape());
        } else {
            ASSERT_EQ(editor.shape(), states[cursor]) << "after edit " << edit;
        }
    }
}
