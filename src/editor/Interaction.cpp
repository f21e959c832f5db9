#include "editor/Interaction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Editor {

using MarkPoints::CMarkPoint;
using MarkPoints::CMarkPointArray;

namespace {
constexpr std::int64_t kMostFrames = std::numeric_limits<std::int32_t>::max();

std::int32_t toFrame(std::int64_t frame) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, -kMostFrames, kMostFrames));
}
} // namespace

void Interaction::trackMouse(PixelPoint at) {
    mousePoint = at;
    mouseFrame = c.geometry.frameOfPixel(at.x);
    mouseValue = c.geometry.valueOfPixel(at.y);
}

void Interaction::beginMove() {
    c.moving.clear();
    c.moving.beginMove(c.shown[0], c.shown[1], c.shown[2], c.timeDisplay);
}

void Interaction::moveBy(std::int64_t frames, int pixels) {
    c.moving.moveBy(toFrame(frames), static_cast<std::int32_t>(c.fileLength), pixels);
    c.sortCurves();
    c.touch();
}

void Interaction::finishMove() {
    bool changed = false;
    for (const MarkPoints::CMovingPoint& e : c.moving.getElements())
        changed = changed || e.initial.framePosition != e.current.framePosition ||
                  e.initial.value != e.current.value;
    if (moved && changed) {
        c.history.pushMove(c.moving);
        c.markModified();
    }
    moved = false;
}

void Interaction::interrupt() {
    if (state == EditState::Drag) {
        c.moving.cancelMove();
        c.sortCurves();
        c.touch();
        moved = false;
    } else if (state == EditState::KeyboardMove) {
        finishMove();
    }
    state = EditState::Idle;
}

void Interaction::reset() {
    c.moving.clear();
    state = EditState::Idle;
    moved = false;
}

void Interaction::buttonDown(PixelPoint at, int button, std::uint32_t modifiers) {
    trackMouse(at);
    // A press while anything runs only ends that (a drag is undone).
    if (state != EditState::Idle) {
        interrupt();
        return;
    }
    pressPoint = at;
    pressFrame = mouseFrame;
    pressValue = mouseValue;
    if (button == kLeftButton) {
        leftDown(at, modifiers);
    } else if (button == kRightButton) {
        state = modifiers == kShift ? EditState::RubberAdd
                : modifiers == kAlt ? EditState::RubberRemove
                                    : EditState::MenuPending;
    }
}

void Interaction::leftDown(PixelPoint at, std::uint32_t modifiers) {
    if (const auto hit = c.hitTest(at))
        pressOnPoint(hit->first, hit->second, modifiers);
    else
        pressOnEmptySpace(modifiers);
}

void Interaction::pressOnPoint(std::uint32_t scaleId, const CMarkPoint& point,
                               std::uint32_t modifiers) {
    CMarkPoint* stored = c.curveOf(scaleId).find(point.framePosition);
    if (!stored) return;
    if (modifiers == kShift) {
        stored->selected = 1;
        c.touch();
    } else if (modifiers == kAlt) {
        stored->selected = 0;
        c.touch();
    } else if (modifiers == kCtrl) {
        state = EditState::RubberReplace;
    } else {
        if (!stored->selected) {
            c.moving.clearSelection(c.shown);
            stored->selected = 1;
            c.touch();
        }
        beginMove();
        moved = false;
        state = EditState::Drag;
    }
}

void Interaction::pressOnEmptySpace(std::uint32_t modifiers) {
    if (modifiers == kShift)
        state = EditState::RubberAdd;
    else if (modifiers == kAlt)
        state = EditState::RubberRemove;
    else if (modifiers == kCtrl)
        state = EditState::MenuPending;
    else
        state = c.shown[c.currentScale() - 1] ? EditState::AddOnRelease : EditState::Idle;
}

ReleaseOutcome Interaction::buttonUp(PixelPoint at, int /*button*/) {
    trackMouse(at);
    c.setCursorFrame(mouseFrame);
    ReleaseOutcome outcome;
    const EditState was = state;
    if (was == EditState::KeyboardMove) return outcome;
    state = EditState::Idle;
    switch (was) {
    case EditState::AddOnRelease:
        addPoint(c.currentScale(), at, c.snappedValue(c.currentScale(), at.y));
        break;
    case EditState::FineTune:
        addPoint(fineTune.getScaleId(), at, fineTune.value(c.geometry.scale()));
        break;
    case EditState::RubberReplace:
        selectInBand(pressPoint, at, true, true);
        break;
    case EditState::RubberAdd:
        selectInBand(pressPoint, at, false, true);
        break;
    case EditState::RubberRemove:
        selectInBand(pressPoint, at, false, false);
        break;
    case EditState::Drag:
        finishMove();
        break;
    case EditState::MenuPending:
        outcome = {true, at};
        break;
    default:
        break;
    }
    return outcome;
}

void Interaction::addPoint(std::uint32_t scaleId, PixelPoint at, double value) {
    if (c.fileLength <= 0) return;
    // One point per pixel column: a column already holding one takes no second.
    const std::int64_t f0 = std::min<std::int64_t>(c.geometry.frameOfPixel(at.x), c.lastFrame());
    const std::int64_t f1 = std::max(c.geometry.frameOfPixel(at.x + 1), f0 + 1);
    CMarkPointArray& points = c.curveOf(scaleId);
    const std::size_t i = points.lowerBound(static_cast<std::int32_t>(f0));
    if (i < points.size() && points[i].framePosition < f1) return;
    CMarkPoint point{static_cast<std::int32_t>(f0),
                     static_cast<float>(c.geometry.scale().clamp(value)), c.newPointStyle, 0};
    point.framePosition = points.insertFree(point, static_cast<std::int32_t>(c.fileLength));
    c.history.pushAdded(scaleId, point);
    c.markModified();
}

void Interaction::selectInBand(PixelPoint from, PixelPoint to, bool replace, bool select) {
    const MarkPoints::CPixelRect band{std::min(from.x, to.x), std::min(from.y, to.y),
                                      std::max(from.x, to.x), std::max(from.y, to.y)};
    if (replace) c.moving.clearSelection(c.shown);
    c.moving.selectInRect(
        c.shown, band,
        [this](std::uint32_t, const CMarkPoint& p) {
            return std::array<int, 2>{c.geometry.pixelOfFrame(p.framePosition),
                                      c.geometry.pixelOfValue(p.value)};
        },
        select);
    c.touch();
}

void Interaction::mouseMove(PixelPoint at, bool buttonHeld) {
    trackMouse(at);
    if (!buttonHeld) return;
    c.setCursorFrame(mouseFrame);
    switch (state) {
    case EditState::Drag: {
        const double dy = std::trunc(at.y - c.geometry.exactPixelOfValue(pressValue) + 0.3);
        moved = true;
        moveBy(mouseFrame - pressFrame, static_cast<int>(dy));
        break;
    }
    case EditState::FineTune:
        fineTune.update(c.geometry.scale(), at.y);
        break;
    case EditState::MenuPending:
        if (std::abs(at.x - pressPoint.x) >= kRubberBandDistance ||
            std::abs(at.y - pressPoint.y) >= kRubberBandDistance)
            state = EditState::RubberReplace;
        break;
    default:
        break;
    }
}

void Interaction::shiftDown() {
    if (state == EditState::AddOnRelease) {
        if (c.fileLength <= 0) return;
        const std::int64_t frame = std::min<std::int64_t>(mouseFrame, c.lastFrame());
        const std::int64_t next = std::max(c.geometry.frameOfPixel(mousePoint.x + 1), frame + 1);
        const CMarkPointArray& points = c.curveOf(c.currentScale());
        const std::size_t i = points.lowerBound(static_cast<std::int32_t>(frame));
        if (i < points.size() && points[i].framePosition < next) return;
        const double start =
            c.geometry.scale().clamp(c.snappedValue(c.currentScale(), mousePoint.y));
        fineTune.begin(c.geometry.scale(), c.currentScale(), c.timeDisplay, start, mousePoint.y);
        state = EditState::FineTune;
    } else if (state == EditState::Idle) {
        beginMove();
        nudgeSteps = nudgePixels = 0;
    }
}

void Interaction::shiftUp() {
    if (state == EditState::FineTune) {
        state = EditState::AddOnRelease;
    } else if (state == EditState::KeyboardMove) {
        state = EditState::Idle;
        finishMove();
    }
}

void Interaction::nudge(int horizontalSteps, int verticalPixels) {
    if (state != EditState::Idle && state != EditState::KeyboardMove) return;
    if (state == EditState::Idle) {
        // The selection may have changed since Shift went down.
        beginMove();
        nudgeSteps = nudgePixels = 0;
        state = EditState::KeyboardMove;
        moved = true;
    }
    nudgeSteps += horizontalSteps;
    nudgePixels += verticalPixels;
    const double fpp = c.geometry.getFramesPerPixel();
    const std::int64_t frames =
        fpp > 1.0 ? static_cast<std::int64_t>(std::trunc(nudgeSteps * fpp)) : nudgeSteps;
    moveBy(frames, nudgePixels);
}

void Interaction::cancel() {
    if (state == EditState::Drag || state == EditState::KeyboardMove) {
        c.moving.cancelMove();
        c.sortCurves();
        c.touch();
    }
    moved = false;
    state = EditState::Idle;
}

std::optional<MarkPoints::CPixelRect> Interaction::rubberBand() const {
    if (state != EditState::RubberReplace && state != EditState::RubberAdd &&
        state != EditState::RubberRemove)
        return std::nullopt;
    return MarkPoints::CPixelRect{
        std::min(pressPoint.x, mousePoint.x), std::min(pressPoint.y, mousePoint.y),
        std::max(pressPoint.x, mousePoint.x), std::max(pressPoint.y, mousePoint.y)};
}

std::optional<double> Interaction::fineTuneValue() const {
    if (state != EditState::FineTune) return std::nullopt;
    return fineTune.value(c.geometry.scale());
}

} // namespace Editor
