#pragma once
// The wave editor's document: the three curves of a row edited in place. Its parts have a file
// each: the shared state of the edited curves (EditedCurves), the view geometry, the mouse and
// key interactions of the view (Interaction) and the selection, clipboard and history commands
// (CurveCommands). What the view and the window use of them goes through here.
#include <cstdint>
#include <string>
#include <vector>

#include "editor/CurveCommands.h"
#include "editor/EditedCurves.h"
#include "editor/Interaction.h"

namespace Editor {

class CEditorDocument {
  public:
    // `curves`: the row's curves (time, pitch, formant), edited in place. `fileLength` in
    // frames; `baseBpm` the row's original tempo (−1 or 0 when unknown); `currentScale` 1–3.
    CEditorDocument(Curves& curves, std::int64_t fileLength, double baseBpm,
                    std::uint32_t currentScale);
    CEditorDocument(const CEditorDocument&) = delete;
    CEditorDocument& operator=(const CEditorDocument&) = delete;

    // Frame <-> x and value <-> y of the view, the zoom, the scroll offsets and the value axis.
    CViewGeometry& geometry() { return edited.geometry; }
    const CViewGeometry& geometry() const { return edited.geometry; }
    // The view's mouse and Shift-key interactions.
    Interaction& interaction() { return pointer; }
    const Interaction& interaction() const { return pointer; }
    // Selection, clipboard, line styles, undo and redo.
    CurveCommands& commands() { return edits; }
    const CurveCommands& commands() const { return edits; }

    // --- the curves and how they are shown ----------------------------------------------
    const MarkPoints::CMarkPointArray& curve(std::uint32_t scaleId) const;
    // Replaces the three curves (load, new, snapshot recall); the history is cleared.
    void replaceCurves(const Curves& curves);
    std::int64_t getFileLength() const { return edited.fileLength; }
    void setCurrentScale(std::uint32_t scaleId) { edited.setCurrentScale(scaleId); }
    std::uint32_t getCurrentScale() const { return edited.currentScale(); }
    // Only while idle; false when refused.
    bool setShown(std::uint32_t scaleId, bool shown);
    bool isShown(std::uint32_t scaleId) const;
    // TIMEDISPLAY_PERCENT or TIMEDISPLAY_BPM: read-outs and the snapping grid of the time curve.
    void setTimeDisplay(std::uint32_t type);
    std::uint32_t getTimeDisplay() const { return edited.timeDisplay; }
    void setNewPointStyle(std::uint32_t style);
    std::uint32_t getNewPointStyle() const { return edited.newPointStyle; }
    void setBaseBpm(double bpm) { edited.geometry.setBaseBpm(bpm); }
    // The value under y snapped to the scale's display grid; throws
    // "CMarkPointEdit::getValue(): _dwScaleID invalid!" for a scale outside 1–3.
    double getValue(std::uint32_t scaleId, int y) const;

    // From any thread (the player's position reports): a frame past the end becomes
    // length − 1, a negative one is ignored.
    void setCursorFrame(std::int64_t frame) { edited.setCursorFrame(frame); }
    std::int64_t getCursorFrame() const { return edited.cursorFrame(); }

    bool isModified() const { return edited.isModified(); }
    void setModified(bool modified) { edited.setModified(modified); }
    void clearHistory() { edited.history.clear(); }
    // Counts every change of the curves, their selection and the modified flag.
    std::uint64_t changeCount() const { return edited.changeCount(); }

    // --- drawing -----------------------------------------------------------------------
    // Rebuilds the marker lists of the shown scales for the current view (the hit tests use
    // the lists of the last layout).
    void layout() { edited.rebuildMarkers(); }
    // The lines of a scale's curve across the view: segment styles, the virtual start point,
    // a line to the right edge after the last point, an empty curve as a line at 1.0. Throws
    // "cannot draw markpoint line. unknown Line Style" for a point of another style.
    std::vector<CurveLine> curveLines(std::uint32_t scaleId) const;
    const std::vector<Marker>& markers(std::uint32_t scaleId) const {
        return edited.markers(scaleId);
    }
    // "%.2f %%", "%.2f BPM", "P %.2f", "F %.2f" for a value of a scale.
    std::string readout(std::uint32_t scaleId, double value) const;
    // For assistive technology: the current scale, the number of points and the selected
    // point's frame and value.
    std::string describe() const;

  private:
    EditedCurves edited;
    Interaction pointer;
    CurveCommands edits;
};

} // namespace Editor
