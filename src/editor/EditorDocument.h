#pragma once
// The wave editor's document: the three curves of a row edited in place, with the clipboard,
// the value axis, the moving array, the history, and every mouse and key interaction of the
// editor view worked out in pixel, frame and value space. The view widget only turns its
// events into these calls and paints what the document lays out.
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "editor/EditorTypes.h"
#include "editor/FineTune.h"
#include "editor/ViewGeometry.h"
#include "markpoints/MarkPointArray.h"
#include "markpoints/MarkPointHistory.h"
#include "markpoints/MarkPointMovingArray.h"
#include "markpoints/ValueScale.h"

namespace Editor {

class CEditorDocument {
  public:
    // `curves`: the row's curves (time, pitch, formant), edited in place. `fileLength` in
    // frames; `baseBpm` the row's original tempo (−1 or 0 when unknown); `currentScale` 1–3.
    CEditorDocument(std::array<MarkPoints::CMarkPointArray, 3>& curves, std::int64_t fileLength,
                    double baseBpm, std::uint32_t currentScale);

    // --- view geometry -----------------------------------------------------------------
    // The view rectangle in widget pixels (left/top inclusive, right/bottom exclusive). The
    // value axis is rebuilt for the new height.
    void setViewRect(const MarkPoints::CPixelRect& rect);
    const MarkPoints::CPixelRect& getViewRect() const;
    void setFirstFrame(std::int64_t frame);
    std::int64_t getFirstFrame() const;
    void setFramesPerPixel(double framesPerPixel);
    double getFramesPerPixel() const;
    void setVerticalZoom(double zoom);
    double getVerticalZoom() const;
    // Clamped to 0 .. axis height − view height.
    void setVerticalScroll(int pixels);
    int getVerticalScroll() const;
    std::int64_t getFileLength() const;

    // trunc((x − left) × fpp + 0.5) + first frame, never below 0.
    std::int64_t frameOfPixel(int x) const;
    // trunc((frame − first) / fpp + 0.5) + left.
    int pixelOfFrame(std::int64_t frame) const;
    // The value axis (for the value rulers); rebuilt in place by view rect and zoom changes.
    const MarkPoints::CValueScale& getValueScale() const { return geometry.scale(); }
    // Widget y of a value, and the value under a widget y (clamped to the axis).
    int pixelOfValue(double value) const;
    double valueOfPixel(int y) const;

    // --- mouse and keys ------------------------------------------------------------------
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
    // Esc: cancels a running drag and returns to idle.
    void cancel();

    EditState getState() const;
    // The rubber band being drawn (states 3–5), in widget pixels.
    std::optional<MarkPoints::CPixelRect> rubberBand() const;
    // The hover position's frame and value, and the fine-tuned value (state 2), for read-outs.
    std::int64_t getMouseFrame() const;
    double getMouseValue() const;
    // The fine-tuned value as a factor (readout() shows it in display units).
    std::optional<double> fineTuneValue() const;

    // --- commands ----------------------------------------------------------------------
    // Style of the selection, or of the point under the last mouse position.
    void setLineStyle(std::uint32_t style);
    void setNewPointStyle(std::uint32_t style);
    std::uint32_t getNewPointStyle() const;
    void copy();
    void cut();
    // Throws "selected_paste() nothing to paste!" when the clipboard is empty.
    void paste();
    void deleteSelected();
    void undo();
    void redo();
    // False while an interaction runs: undo and redo wait for idle.
    bool canUndo() const;
    bool canRedo() const;
    void selectAll();
    void invertSelection();
    bool hasClipboard() const;
    bool anySelected() const;

    void setTimeDisplay(std::uint32_t type);
    std::uint32_t getTimeDisplay() const;
    void setCurrentScale(std::uint32_t scaleId);
    std::uint32_t getCurrentScale() const;
    // Only while idle; false when refused.
    bool setShown(std::uint32_t scaleId, bool shown);
    bool isShown(std::uint32_t scaleId) const;
    void setBaseBpm(double bpm);

    // The value under y snapped to the scale's display grid; throws
    // "CMarkPointEdit::getValue(): _dwScaleID invalid!" for a scale outside 1–3.
    double getValue(std::uint32_t scaleId, int y) const;

    // From any thread (the player's position reports): a frame past the end becomes
    // length − 1, a negative one is ignored.
    void setCursorFrame(std::int64_t frame);
    std::int64_t getCursorFrame() const;

    // Replaces the three curves (load, new, snapshot recall); the history is cleared.
    void replaceCurves(const std::array<MarkPoints::CMarkPointArray, 3>& curves);
    const MarkPoints::CMarkPointArray& curve(std::uint32_t scaleId) const;
    bool isModified() const;
    void setModified(bool modified);
    void clearHistory();

    // --- drawing -------------------------------------------------------------------------
    // Rebuilds the marker lists of the shown scales for the current view (the hit tests
    // use the lists of the last layout) and returns the lines of a scale's curve across the
    // view: segment styles, the virtual start point, a line to the right edge after the last
    // point, an empty curve as a line at 1.0. Throws "cannot draw markpoint line. unknown
    // Line Style" for a point of another style.
    void layout();
    std::vector<CurveLine> curveLines(std::uint32_t scaleId) const;
    const std::vector<Marker>& markers(std::uint32_t scaleId) const;
    // "%.2f %%", "%.2f BPM", "P %.2f", "F %.2f" for a value of a scale.
    std::string readout(std::uint32_t scaleId, double value) const;

    // For assistive technology: the current scale, the number of points and the selected
    // point's frame and value.
    std::string describe() const;

  private:
    using Curves = std::array<MarkPoints::CMarkPointArray, 3>;

    MarkPoints::CMarkPointArray& curveOf(std::uint32_t scaleId);
    void sortCurves();
    void rebuildMarkers();
    // The point under a pixel: the current scale first, then the other shown ones.
    std::optional<std::pair<std::uint32_t, MarkPoints::CMarkPoint>> hitTest(PixelPoint at);
    void leftDown(PixelPoint at, std::uint32_t modifiers);
    void pressOnPoint(std::uint32_t scaleId, const MarkPoints::CMarkPoint& point,
                      std::uint32_t modifiers);
    void pressOnEmptySpace(std::uint32_t modifiers);
    // Ends whatever a press interrupts: a drag is undone, a keyboard move is kept.
    void interrupt();
    void beginMove();
    // Records the move when it changed something.
    void finishMove();
    void addPoint(std::uint32_t scaleId, PixelPoint at, double value);
    void selectInBand(PixelPoint from, PixelPoint to, bool replace, bool select);
    void trackMouse(PixelPoint at);
    // Removes the selected points of the shown scales, recorded as one deletion.
    void removeSelected();
    std::int32_t lastFrame() const;

    Curves& curves;
    Curves clipboard;
    std::int64_t fileLength;
    CViewGeometry geometry;
    MarkPoints::CMarkPointMovingArray moving;
    MarkPoints::CMarkPointHistory history;

    MarkPoints::ScaleMask shown{true, true, true};
    std::uint32_t currentScale;
    std::uint32_t timeDisplay = MarkPoints::TIMEDISPLAY_PERCENT;
    std::uint32_t newPointStyle = MarkPoints::LINEAR;

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
    bool modified = false;
    std::array<std::vector<Marker>, 3> markerLists;

    // The player's position reports write the cursor from their own thread.
    mutable std::mutex cursorLock;
    std::int64_t cursorFrame = 0;
};

} // namespace Editor
