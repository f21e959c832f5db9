#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <thread>

#include "editor/EditorDocument.h"
#include "support/TestSupport.h"

#include "support/CurveFrames.h"

using namespace Editor;
using namespace MarkPoints;
using TestSupport::curveOf;

namespace {
// 1000 × 201 pixels over 48000 frames: 48 frames per pixel, 1.0 at y = 100, 2.0 at y = 50.
constexpr std::int64_t kLength = 48000;

struct Desk {
    std::array<CMarkPointArray, 3> curves;
    CEditorDocument doc;

    explicit Desk(std::uint32_t scale = SCALE_PITCH, std::array<CMarkPointArray, 3> start = {},
                  std::int64_t length = kLength)
        : curves(std::move(start)), doc(curves, length, 120.0, scale) {
        doc.geometry().setViewRect({0, 0, 1000, 201});
        doc.geometry().setFramesPerPixel(48.0);
    }
    void press(PixelPoint at, int button = kLeftButton, std::uint32_t modifiers = 0) {
        doc.interaction().buttonDown(at, button, modifiers);
    }
    void moveTo(PixelPoint at) { doc.interaction().mouseMove(at, true); }
    ReleaseOutcome release(PixelPoint at, int button = kLeftButton) {
        return doc.interaction().buttonUp(at, button);
    }
    ReleaseOutcome click(PixelPoint at, int button = kLeftButton, std::uint32_t modifiers = 0) {
        press(at, button, modifiers);
        return release(at, button);
    }
    ReleaseOutcome drag(PixelPoint from, PixelPoint to, int button = kLeftButton,
                        std::uint32_t modifiers = 0) {
        press(from, button, modifiers);
        moveTo(to);
        return release(to, button);
    }
    PixelPoint at(std::uint32_t scale, std::size_t i) const {
        const CMarkPoint& p = doc.curve(scale)[i];
        return {doc.geometry().pixelOfFrame(p.framePosition), doc.geometry().pixelOfValue(p.value)};
    }
    std::size_t historyDepth() {
        std::size_t n = 0;
        while (doc.commands().canUndo()) {
            doc.commands().undo();
            ++n;
        }
        for (std::size_t i = 0; i < n; ++i)
            doc.commands().redo();
        return n;
    }
};

// Positions, values and styles; the selection is not part of the history.
std::vector<CMarkPoint> shape(const std::array<CMarkPointArray, 3>& curves) {
    std::vector<CMarkPoint> all;
    for (const CMarkPointArray& c : curves) {
        for (CMarkPoint p : c) {
            p.selected = 0;
            all.push_back(p);
        }
        all.push_back({-1, 0, 0, 0});
    }
    return all;
}

std::vector<std::int32_t> selectedFrames(const CMarkPointArray& c) {
    std::vector<std::int32_t> out;
    for (const CMarkPoint& p : c)
        if (p.selected) out.push_back(p.framePosition);
    return out;
}

// Two selected pitch points and an unselected time point.
std::array<CMarkPointArray, 3> group() {
    return {curveOf({{24000, 1.0f, LINEAR, 0}}),
            curveOf({{4800, 2.0f, LINEAR, 1}, {9600, 1.0f, SQUARE, 1}}),
            {}};
}
} // namespace

TEST(EditorDocument, ClickAddsOnePointPerPixelColumn) {
    struct Row {
        std::vector<PixelPoint> clicks;
        std::vector<std::int32_t> frames;
    };
    const Row rows[] = {
        {{{100, 50}}, {4800}},
        {{{100, 50}, {100, 70}}, {4800}},           // same pixel twice: one point
        {{{100, 50}, {101, 90}}, {4800, 4848}},     // the next column takes one
        {{{0, 100}, {0, 100}}, {0}},                // frame 0
        {{{999, 100}, {2000, 100}}, {47952, 47999}} // past the end: the last frame
    };
    for (const Row& row : rows) {
        Desk d;
        for (PixelPoint p : row.clicks)
            d.click(p);
        EXPECT_EQ(frames(d.curves[SCALE_PITCH - 1]), row.frames);
        EXPECT_TRUE(d.curves[SCALE_TIME - 1].empty());
        EXPECT_EQ(d.historyDepth(), row.frames.size());
        EXPECT_TRUE(d.doc.isModified());
    }
    Desk d;
    d.click({100, 50});
    EXPECT_FLOAT_EQ(d.curves[1][0].value, 2.0f); // 12 semitones, on the grid
    EXPECT_EQ(d.curves[1][0].lineStyle, LINEAR);
    EXPECT_EQ(d.curves[1][0].selected, 0);
    EXPECT_EQ(d.doc.getCursorFrame(), 4800);
}

TEST(EditorDocument, ZoomedInClickTwiceOnOnePixelStillAddsOne) {
    Desk d;
    d.doc.geometry().setFramesPerPixel(0.25); // four pixels per frame
    d.click({40, 50});
    d.click({40, 150}); // far below the first point's marker
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{10}));
}

TEST(EditorDocument, RightPressOpensTheMenuUnlessDraggedFortyPixels) {
    struct Row {
        PixelPoint to;
        bool menu;
        std::vector<std::int32_t> selected;
    };
    const Row rows[] = {
        {{99, 79}, true, {9600}},          // 39 px: a right click
        {{100, 60}, false, {}},            // 40 px in x: the band's right edge is outside
        {{101, 60}, false, {4800}},        // a band from 60..101 selects 4800
        {{60, 0}, false, {}},              // 40 px in y: nothing inside
        {{300, 140}, false, {4800, 9600}}, // both
    };
    for (const Row& row : rows) {
        Desk d(SCALE_PITCH, group());
        d.curves[1][0].selected = 0; // 4800 not selected, 9600 selected
        const ReleaseOutcome out = d.drag({60, 40}, row.to, kRightButton);
        EXPECT_EQ(out.openContextMenu, row.menu);
        if (row.menu) {
            EXPECT_EQ(out.at.x, row.to.x);
        }
        EXPECT_EQ(selectedFrames(d.curves[1]), row.selected);
        EXPECT_EQ(d.doc.interaction().getState(), EditState::Idle);
    }
}

TEST(EditorDocument, RubberBandsReplaceAddAndRemove) {
    struct Row {
        int button;
        std::uint32_t modifiers;
        bool onPoint;
        std::vector<std::int32_t> selected;
    };
    // Band from (90, 40) to (110, 60) around the point at 4800; 9600 starts selected.
    const Row rows[] = {
        {kLeftButton, kCtrl, true, {4800}}, // Ctrl on a point: replace
        {kLeftButton, kShift, false, {4800, 9600}}, {kRightButton, kShift, false, {4800, 9600}},
        {kLeftButton, kAlt, false, {9600}},         {kRightButton, kAlt, false, {9600}},
    };
    for (const Row& row : rows) {
        Desk d(SCALE_PITCH, group());
        d.curves[1][0].selected = row.modifiers == kAlt ? 1 : 0;
        const PixelPoint from = row.onPoint ? PixelPoint{100, 50} : PixelPoint{90, 40};
        d.press(from, row.button, row.modifiers);
        d.moveTo({130, 80});
        ASSERT_TRUE(d.doc.interaction().rubberBand().has_value());
        EXPECT_EQ(d.doc.interaction().rubberBand()->right, 130);
        d.release({130, 80}, row.button);
        EXPECT_EQ(selectedFrames(d.curves[1]), row.selected) << row.modifiers;
    }
}

TEST(EditorDocument, GroupDragKeepsSpacingAndRecordsOnlyARealMove) {
    Desk d(SCALE_PITCH, group());
    const auto start = shape(d.curves);
    d.click(d.at(SCALE_PITCH, 0)); // press and release on a point, no move
    EXPECT_EQ(d.historyDepth(), 0u);
    EXPECT_FALSE(d.doc.isModified());
    EXPECT_EQ(shape(d.curves), start);

    d.drag({100, 50}, {110, 40}); // 10 px right, 10 px up
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{5280, 10080}));
    EXPECT_EQ(frames(d.curves[0]), (std::vector<std::int32_t>{24000})); // not selected
    EXPECT_GT(d.curves[1][0].value, 2.0f);
    EXPECT_EQ(d.curves[1][1].lineStyle, SQUARE);
    EXPECT_EQ(d.historyDepth(), 1u);
    d.doc.commands().undo();
    EXPECT_EQ(shape(d.curves), start);
}

TEST(EditorDocument, PlainPressOnAnUnselectedPointSelectsOnlyIt) {
    Desk d(SCALE_PITCH, group());
    d.press(d.at(SCALE_TIME, 0));
    EXPECT_EQ(d.doc.interaction().getState(), EditState::Drag);
    EXPECT_EQ(selectedFrames(d.curves[0]), (std::vector<std::int32_t>{24000}));
    EXPECT_TRUE(selectedFrames(d.curves[1]).empty());
}

TEST(EditorDocument, HitTestPrefersTheCurrentScale) {
    // A time and a pitch point on the same pixel: Alt deselects the current scale's one.
    for (std::uint32_t current : {SCALE_TIME, SCALE_PITCH}) {
        Desk d(current,
               {curveOf({{4800, 2.0f, LINEAR, 1}}), curveOf({{4800, 2.0f, LINEAR, 1}}), {}});
        d.click({103, 53}, kLeftButton, kAlt);
        EXPECT_EQ(d.curves[current - 1][0].selected, 0);
        EXPECT_EQ(d.curves[2 - current][0].selected, 1);
    }
    Desk d(SCALE_PITCH, group());
    d.click({100 + 8, 50}, kLeftButton, kAlt); // 8 px right of the point: a miss
    EXPECT_EQ(d.curves[1][0].selected, 1);
    d.click({100 + 7, 50 - 7}, kLeftButton, kAlt); // 7 px: a hit
    EXPECT_EQ(d.curves[1][0].selected, 0);
}

TEST(EditorDocument, InterruptedDragRestoresThePoints) {
    const std::function<void(Desk&)> interruptions[] = {
        [](Desk& d) {
            d.press({500, 100});
        },
        [](Desk& d) {
            d.press({500, 100}, kRightButton);
        },
        [](Desk& d) { d.doc.interaction().cancel(); },
    };
    for (const auto& interrupt : interruptions) {
        Desk d(SCALE_PITCH, group());
        const auto start = shape(d.curves);
        d.press({100, 50});
        d.moveTo({300, 20});
        EXPECT_NE(shape(d.curves), start);
        interrupt(d);
        EXPECT_EQ(d.doc.interaction().getState(), EditState::Idle);
        EXPECT_EQ(shape(d.curves), start);
        d.release({300, 20});
        EXPECT_EQ(shape(d.curves), start);
        EXPECT_EQ(d.historyDepth(), 0u);
    }
}

TEST(EditorDocument, PastePutsTheEarliestPointAtTheCursor) {
    Desk d(SCALE_PITCH, {curveOf({{3000, 1.5f, SQUARE, 1}}), curveOf({{1000, 2.0f, LINEAR, 1}}),
                         curveOf({{500, 2.0f, LINEAR, 0}})});
    d.doc.commands().copy();
    d.doc.setCursorFrame(20000);
    d.doc.commands().paste();
    EXPECT_EQ(frames(d.curves[0]), (std::vector<std::int32_t>{3000, 22000}));
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{1000, 20000}));
    EXPECT_EQ(frames(d.curves[2]), (std::vector<std::int32_t>{500}));
    EXPECT_EQ(selectedFrames(d.curves[0]), (std::vector<std::int32_t>{22000}));
    EXPECT_EQ(d.curves[0][1].lineStyle, SQUARE);
    EXPECT_FLOAT_EQ(d.curves[0][1].value, 1.5f);
    d.doc.commands().undo(); // one entry for the whole paste
    EXPECT_EQ(frames(d.curves[0]), (std::vector<std::int32_t>{3000}));
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{1000}));

    // Near the end the pasted points crowd in before the last frame.
    d.doc.setCursorFrame(kLength - 1);
    d.doc.commands().paste();
    EXPECT_EQ(frames(d.curves[0]), (std::vector<std::int32_t>{3000, kLength - 1}));
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{1000, kLength - 1}));
}

TEST(EditorDocument, CutAndDeleteRemoveTheShownSelection) {
    Desk d(SCALE_PITCH, group());
    d.curves[0][0].selected = 1;
    ASSERT_TRUE(d.doc.setShown(SCALE_TIME, false));
    d.doc.commands().cut();
    EXPECT_EQ(frames(d.curves[0]), (std::vector<std::int32_t>{24000})); // hidden: kept
    EXPECT_TRUE(d.curves[1].empty());
    d.doc.commands().undo();
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{4800, 9600}));
    d.doc.commands().deleteSelected();
    EXPECT_TRUE(d.curves[1].empty());
    EXPECT_TRUE(d.doc.commands().hasClipboard());
}

TEST(EditorDocument, APasteThatRunsOutOfFramesKeepsAndRecordsWhatItPasted) {
    // Ten frames, 1..8 taken by the pitch curve: the second pitch point finds no room.
    CMarkPointArray full;
    for (std::int32_t f = 1; f <= 8; ++f)
        full.insertUnique({f, 1.0f, LINEAR, 0});
    Desk d(SCALE_PITCH, {curveOf({{2, 1.0f, LINEAR, 1}}), full, curveOf({{5, 1.0f, LINEAR, 1}})},
           10);
    d.curves[1][0].selected = d.curves[1][1].selected = 1;
    d.doc.commands().copy();
    const auto start = shape(d.curves);
    d.doc.setCursorFrame(9);
    EXPECT_EQ(TestSupport::errorText([&] { d.doc.commands().paste(); }),
              "cannot find a free place to add this point into!");
    EXPECT_EQ(frames(d.curves[1]).size(), 9u);
    EXPECT_TRUE(d.doc.isModified());
    d.doc.commands().undo();
    EXPECT_EQ(shape(d.curves), start);
}

TEST(EditorDocument, PasteWithAnEmptyClipboardIsRefused) {
    Desk d(SCALE_PITCH, group());
    EXPECT_EQ(TestSupport::errorText([&] { d.doc.commands().paste(); }),
              "selected_paste() nothing to paste!");
    d.doc.commands().copy(); // nothing of the time curve selected, but the pitch points are
    EXPECT_NO_THROW(d.doc.commands().paste());
}

TEST(EditorDocument, FineTuneMovesInDisplayUnitsWithinTheLimits) {
    struct Row {
        std::uint32_t scale;
        std::uint32_t display;
        int y;
        double expected;
    };
    const Row rows[] = {
        {SCALE_PITCH, TIMEDISPLAY_PERCENT, 50, std::pow(2.0, 0.5 / 12)}, // +0.5 semitones
        {SCALE_FORMANT, TIMEDISPLAY_PERCENT, 150, std::pow(2.0, -0.5 / 12)},
        {SCALE_PITCH, TIMEDISPLAY_PERCENT, -100000, 4.0},
        {SCALE_TIME, TIMEDISPLAY_PERCENT, 0, 1.01}, // 100 % + 100 px × 0.01 %
        {SCALE_TIME, TIMEDISPLAY_PERCENT, 100000, 0.25},
        {SCALE_TIME, TIMEDISPLAY_BPM, 0, 120.0 / 119.0}, // up lowers the BPM
        {SCALE_TIME, TIMEDISPLAY_BPM, -100000, 4.0},
        {SCALE_TIME, TIMEDISPLAY_BPM, 100000, 0.25},
    };
    for (const Row& row : rows) {
        Desk d(row.scale);
        d.doc.setTimeDisplay(row.display);
        d.press({300, 100}); // value 1.0
        d.doc.interaction().shiftDown();
        EXPECT_EQ(d.doc.interaction().getState(), EditState::FineTune);
        d.moveTo({300, row.y});
        ASSERT_TRUE(d.doc.interaction().fineTuneValue().has_value());
        EXPECT_NEAR(*d.doc.interaction().fineTuneValue(), row.expected, 1e-6);
        d.release({300, row.y});
        const CMarkPointArray& c = d.curves[row.scale - 1];
        ASSERT_EQ(frames(c), (std::vector<std::int32_t>{14400})) << row.y;
        EXPECT_NEAR(c[0].value, row.expected, 1e-6);
    }
    // Shift up before the release: the point takes the value under the mouse.
    Desk d;
    d.press({300, 100});
    d.doc.interaction().shiftDown();
    d.moveTo({300, 50});
    d.doc.interaction().shiftUp();
    EXPECT_EQ(d.doc.interaction().getState(), EditState::AddOnRelease);
    d.release({300, 50});
    EXPECT_FLOAT_EQ(d.curves[1][0].value, 2.0f);
}

TEST(EditorDocument, KeyboardNudgeIsOneMove) {
    Desk d(SCALE_PITCH, group());
    const auto start = shape(d.curves);
    d.doc.interaction().shiftDown();
    d.doc.interaction().nudge(1, 0);
    EXPECT_EQ(d.doc.interaction().getState(), EditState::KeyboardMove);
    d.doc.interaction().nudge(1, 0);
    d.doc.interaction().nudge(1, 0);
    d.doc.interaction().nudge(0, -3); // about 0.7 semitones up: snaps to one
    d.doc.interaction().shiftUp();
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{4800 + 144, 9600 + 144}));
    EXPECT_GT(d.curves[1][1].value, 1.0f);
    EXPECT_EQ(d.historyDepth(), 1u);
    EXPECT_TRUE(d.doc.isModified());
    d.doc.commands().undo();
    EXPECT_EQ(shape(d.curves), start);

    // A press ends a keyboard move and keeps it.
    d.doc.interaction().shiftDown();
    d.doc.interaction().nudge(1, 0);
    d.press({700, 190});
    EXPECT_EQ(d.doc.interaction().getState(), EditState::Idle);
    EXPECT_EQ(d.historyDepth(), 1u); // the undone move's redo went with it
    d.doc.commands().undo();
    EXPECT_EQ(shape(d.curves), start);

    // Zoomed in, a step is one frame; Esc puts the points back.
    d.doc.geometry().setFramesPerPixel(0.5);
    d.doc.interaction().shiftDown();
    d.doc.interaction().nudge(-1, 0);
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{4799, 9599}));
    d.doc.interaction().cancel();
    d.doc.interaction().shiftUp();
    EXPECT_EQ(shape(d.curves), start);
    EXPECT_EQ(d.historyDepth(), 0u);
}

TEST(EditorDocument, HistoryAndShowingWaitForIdle) {
    Desk d;
    d.click({100, 50});
    d.press({200, 50}); // add pending
    d.doc.commands().undo();
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{4800}));
    EXPECT_FALSE(d.doc.commands().canUndo());
    EXPECT_FALSE(d.doc.setShown(SCALE_TIME, false));
    d.release({200, 50});
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{4800, 9600}));
    d.doc.commands().undo();
    d.doc.commands().undo();
    EXPECT_TRUE(d.curves[1].empty());
    d.doc.commands().redo();
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{4800}));
    EXPECT_TRUE(d.doc.setShown(SCALE_PITCH, false));
    d.click({300, 50}); // the current scale is hidden: no point
    EXPECT_EQ(frames(d.curves[1]), (std::vector<std::int32_t>{4800}));
}

TEST(EditorDocument, LineStyleGoesToTheSelectionOrThePointUnderTheMouse) {
    Desk d(SCALE_PITCH, group());
    d.doc.commands().setLineStyle(KEEP);
    EXPECT_EQ(d.curves[1][0].lineStyle, KEEP);
    EXPECT_EQ(d.curves[1][1].lineStyle, KEEP);
    EXPECT_EQ(d.curves[0][0].lineStyle, LINEAR);
    d.doc.commands().undo();
    EXPECT_EQ(d.curves[1][1].lineStyle, SQUARE);
    d.doc.commands().invertSelection(); // now only the time point
    d.doc.commands().invertSelection();
    d.doc.commands().selectAll();
    d.doc.commands().invertSelection();
    EXPECT_FALSE(d.doc.commands().anySelected());
    d.doc.interaction().mouseMove(d.at(SCALE_TIME, 0), false);
    d.doc.commands().setLineStyle(SQUARE);
    EXPECT_EQ(d.curves[0][0].lineStyle, SQUARE);
    d.doc.commands().undo();
    EXPECT_EQ(d.curves[0][0].lineStyle, LINEAR);
}

TEST(EditorDocument, CurveLinesFollowTheSegmentStyles) {
    using L = std::vector<CurveLine>;
    struct Row {
        std::uint32_t style;
        std::int64_t firstFrame;
        L lines;
    };
    // One point at frame 4800 (x 100), value 2.0 (y 50); the view reaches to x 1001.
    const Row rows[] = {
        {LINEAR, 0, L{{0, 100, 100, 50}, {100, 50, 1001, 50}}},
        {SQUARE, 0, L{{0, 100, 100, 100}, {100, 100, 100, 50}, {100, 50, 1001, 50}}},
        {KEEP, 0, L{{100, 50, 1001, 50}}},
        {LINEAR, 2400, L{{-1, 76, 50, 50}, {50, 50, 1001, 50}}}, // clipped on the left
    };
    for (const Row& row : rows) {
        Desk d(SCALE_PITCH, {CMarkPointArray{}, curveOf({{4800, 2.0f, row.style, 0}}), {}});
        d.doc.geometry().setFirstFrame(row.firstFrame);
        EXPECT_EQ(d.doc.curveLines(SCALE_PITCH), row.lines) << row.style;
        EXPECT_EQ(d.doc.curveLines(SCALE_TIME), (L{{-1, 100, 1001, 100}})); // empty: 1.0
        d.doc.layout();
        ASSERT_EQ(d.doc.markers(SCALE_PITCH).size(), 1u);
        const CPixelRect r = d.doc.markers(SCALE_PITCH)[0].rect;
        EXPECT_EQ(r.right - r.left, 5);
        EXPECT_EQ(r.left + 2, d.doc.geometry().pixelOfFrame(4800));
    }
    Desk d(SCALE_PITCH, {CMarkPointArray{}, curveOf({{4800, 2.0f, 8, 0}}), {}});
    EXPECT_EQ(TestSupport::errorText([&] { d.doc.curveLines(SCALE_PITCH); }),
              "cannot draw markpoint line. unknown Line Style");
}

TEST(EditorDocument, EdgesOfTheSmallerCalls) {
    Desk d;
    EXPECT_EQ(TestSupport::errorText([&] { d.doc.getValue(4, 10); }),
              "CMarkPointEdit::getValue(): _dwScaleID invalid!");
    EXPECT_EQ(TestSupport::errorText([&] { d.doc.getValue(0, 10); }),
              "CMarkPointEdit::getValue(): _dwScaleID invalid!");
    EXPECT_DOUBLE_EQ(d.doc.getValue(SCALE_TIME, -50), 4.0); // above the view: the top
    EXPECT_EQ(TestSupport::errorText([&] { d.doc.setTimeDisplay(3); }),
              "a not existing time scale convert function was selected!");
    d.doc.setCursorFrame(kLength + 5);
    EXPECT_EQ(d.doc.getCursorFrame(), kLength - 1);
    d.doc.setCursorFrame(-3);
    EXPECT_EQ(d.doc.getCursorFrame(), kLength - 1);
    EXPECT_EQ(d.doc.geometry().frameOfPixel(-10), 0);
    d.doc.geometry().setVerticalZoom(0.5); // magnified: the axis is twice the view
    EXPECT_NEAR(d.doc.geometry().valueOfPixel(100), std::pow(4.0, 100.5 / 200.5), 1e-9);
    d.doc.geometry().setVerticalScroll(100000);
    EXPECT_EQ(d.doc.geometry().getVerticalScroll(), 402 - 201);
    EXPECT_EQ(d.doc.readout(SCALE_FORMANT, 2.0), "F 12.00");
    d.doc.setTimeDisplay(TIMEDISPLAY_BPM);
    EXPECT_EQ(d.doc.readout(SCALE_TIME, 0.5), "240.00 BPM");
}

TEST(EditorDocument, CursorFrameComesFromThePlayersThread) {
    Desk d;
    std::thread player([&] {
        for (std::int64_t f = -10; f < kLength + 10; f += 7)
            d.doc.setCursorFrame(f);
    });
    for (int i = 0; i < 2000; ++i) {
        const std::int64_t f = d.doc.getCursorFrame();
        ASSERT_TRUE(f >= 0 && f < kLength) << f;
    }
    player.join();
    EXPECT_EQ(d.doc.getCursorFrame(), kLength - 1);
}

TEST(EditorDocument, DescribeNamesScalePointsAndSelection) {
    Desk d(SCALE_PITCH, group());
    EXPECT_EQ(d.doc.describe(),
              "Pitch curve, 2 points, 2 points selected, the first at frame 4800, value P 12.00");
    d.curves[1][1].selected = 0;
    EXPECT_EQ(d.doc.describe(),
              "Pitch curve, 2 points, selected point at frame 4800, value P 12.00");
    d.doc.setCurrentScale(SCALE_FORMANT);
    EXPECT_EQ(d.doc.describe(), "Formant curve, 0 points, no point selected");
}

// Random clicks, drags, bands, nudges, cuts and pastes through the document; every undo
// followed by a redo gives back the same curves, undoing everything gives the start and
// redoing everything the end.
TEST(EditorDocument, RandomEditsUndoAndRedoExactly) {
    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Desk d(SCALE_TIME, group());
    d.doc.geometry().setViewRect({0, 0, 100, 121});
    d.doc.geometry().setFramesPerPixel(480.0); // 100 columns over the file: crowded
    const auto start = shape(d.curves);
    const auto somewhere = [&] { return PixelPoint{pick(110) - 5, pick(131) - 5}; };
    const auto nearPoint = [&] {
        const std::uint32_t s = 1 + pick(3);
        if (d.curves[s - 1].empty()) return somewhere();
        return d.at(s, static_cast<std::size_t>(pick(static_cast<int>(d.curves[s - 1].size()))));
    };
    for (int step = 0; step < 3000; ++step) {
        const int action = pick(12);
        try {
            switch (action) {
            case 0:
            case 1:
                d.doc.setCurrentScale(1 + pick(3));
                d.click(somewhere());
                break;
            case 2:
                d.drag(nearPoint(), somewhere());
                break;
            case 3:
                d.drag(somewhere(), somewhere(), kRightButton, pick(2) ? kShift : 0);
                break;
            case 4:
                d.click(nearPoint(), kLeftButton, pick(2) ? kShift : kAlt);
                break;
            case 5:
                d.doc.interaction().shiftDown();
                for (int n = pick(5); n >= 0; --n)
                    d.doc.interaction().nudge(pick(3) - 1, pick(3) - 1);
                d.doc.interaction().shiftUp();
                break;
            case 6:
                if (pick(4) == 0)
                    pick(2) ? d.doc.commands().cut() : d.doc.commands().deleteSelected();
                break;
            case 7:
                // Small clipboards only, so that the curves do not double on every paste.
                if (selectedFrames(d.curves[0]).size() + selectedFrames(d.curves[1]).size() +
                        selectedFrames(d.curves[2]).size() <
                    8)
                    d.doc.commands().copy();
                d.doc.setCursorFrame(pick(static_cast<int>(kLength)));
                d.doc.commands().paste();
                break;
            case 8:
                d.doc.interaction().mouseMove(nearPoint(), false);
                d.doc.commands().setLineStyle(1u << pick(3));
                break;
            case 9:
                pick(2) ? d.doc.commands().selectAll() : d.doc.commands().invertSelection();
                break;
            case 10:
                d.press(somewhere());
                d.doc.interaction().shiftDown();
                d.moveTo(somewhere());
                if (pick(2)) d.doc.interaction().shiftUp();
                d.release(somewhere());
                break;
            default:
                if (d.doc.commands().canUndo()) {
                    const auto before = shape(d.curves);
                    d.doc.commands().undo();
                    d.doc.commands().redo();
                    ASSERT_EQ(shape(d.curves), before) << "step " << step;
                }
                break;
            }
        } catch (const std::runtime_error& e) {
            // Only an empty clipboard may refuse.
            ASSERT_EQ(std::string(e.what()), "selected_paste() nothing to paste!")
                << step << " action " << action << " sizes " << d.curves[0].size() << " "
                << d.curves[1].size() << " " << d.curves[2].size();
        }
        ASSERT_EQ(d.doc.interaction().getState(), EditState::Idle) << step;
        for (const CMarkPointArray& c : d.curves)
            for (std::size_t i = 0; i < c.size(); ++i) {
                ASSERT_TRUE(c[i].framePosition >= 0 && c[i].framePosition < kLength) << step;
                ASSERT_TRUE(c[i].value >= 0.25f && c[i].value <= 4.0f) << step;
                if (i > 0) {
                    ASSERT_LT(c[i - 1].framePosition, c[i].framePosition) << step;
                }
            }
    }
    const auto end = shape(d.curves);
    EXPECT_GT(end.size(), 20u);
    while (d.doc.commands().canUndo())
        d.doc.commands().undo();
    EXPECT_EQ(shape(d.curves), start);
    while (d.doc.commands().canRedo())
        d.doc.commands().redo();
    EXPECT_EQ(shape(d.curves), end);
}
