#pragma once
// The mouse and Shift-key interactions of the editor view: adding points, rubber bands that
// select, dragging, fine-tuning a new point and nudging the selection, as a state machine
// worked out in pixel, frame and value space over the edited curves.
#include <cstdint>
#include <optional>

#include "editor/EditedCurves.h"
#include "editor/FineTune.h"

namespace Editor {

class Interaction {
  public:
    explicit Interaction(EditedCurves& curves) : c(curves) {}

    void buttonDown(PixelPoint at, int button, std::uint32_t modifiers);
    ReleaseOutcome buttonUp(PixelPoint at, int button);
    // `buttonHeld`: false for hover moves, which only update the read-out.
    void mouseMove(PixelPoint at, bool buttonHeld);
    // Shift went down / up: starts and ends a keyboard move, and the fine-tuning of a new
    // point while the left button is held on empty space.
    void shiftDown();
    void shiftUp();
    // Shift + arrow keys.
    void nudge(int horizontalSteps, int verticalPixels);
    // Esc: cancels a running drag or keyboard move and returns to idle.
    void cancel();
    // The curves were replaced: whatever ran is forgotten.
    void reset();

    EditState getState() const { return state; }
    bool isIdle() const { return state == EditState::Idle; }
    // The rubber band being drawn (states 3–5), in widget pixels.
    std::optional<MarkPoints::CPixelRect> rubberBand() const;
    // The last mouse position with its frame and value, and the fine-tuned value (state 2) as
    // a factor.
    PixelPoint getMousePoint() const { return mousePoint; }
    std::int64_t getMouseFrame() const { return mouseFrame; }
    double getMouseValue() const { return mouseValue; }
    std::optional<double> fineTuneValue() const;

  private:
    void leftDown(PixelPoint at, std::uint32_t modifiers);
    void pressOnPoint(std::uint32_t scaleId, const MarkPoints::CMarkPoint& point,
                      std::uint32_t modifiers);
    void pressOnEmptySpace(std::uint32_t modifiers);
    // Ends whatever a press interrupts: a drag is undone, a keyboard move is kept.
    void interrupt();
    void beginMove();
    void moveBy(std::int64_t frames, int pixels);
    // Records the move when it changed something.
    void finishMove();
    void addPoint(std::uint32_t scaleId, PixelPoint at, double value);
    void selectInBand(PixelPoint from, PixelPoint to, bool replace, bool select);
    void trackMouse(PixelPoint at);

    EditedCurves& c;
    EditState state = EditState::Idle;
    PixelPoint pressPoint;
    std::int64_t pressFrame = 0;
    double pressValue = 1.0;
    PixelPoint mousePoint;
    std::int64_t mouseFrame = 0;
    double mouseValue = 1.0;
    CFineTune fineTune;
    int nudgeSteps = 0;
    int nudgePixels = 0;
    bool moved = false;
};

} // namespace Editor
