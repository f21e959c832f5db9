#pragma once
// The three curves of a row as the wave editor edits them in place, and what every part of the
// editor shares about them: the view geometry, which curves are shown and which is current, the
// moving array, the history, the modified flag, the markers drawn last and the play cursor.
// User-interface thread, except the cursor frame.
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "editor/EditorTypes.h"
#include "editor/ViewGeometry.h"
#include "markpoints/MarkPointHistory.h"
#include "markpoints/MarkPointMovingArray.h"

namespace Editor {

class EditedCurves {
  public:
    // `curves`: the row's curves, edited in place. `fileLength` in frames; `baseBpm` the row's
    // original tempo (−1 or 0 when unknown); `currentScale` 1–3.
    EditedCurves(Curves& curves, std::int64_t fileLength, double baseBpm,
                 std::uint32_t currentScale);

    Curves& curves;
    const std::int64_t fileLength;
    CViewGeometry geometry;
    MarkPoints::CMarkPointMovingArray moving;
    MarkPoints::CMarkPointHistory history;
    MarkPoints::ScaleMask shown{true, true, true};
    std::uint32_t timeDisplay = MarkPoints::TIMEDISPLAY_PERCENT;
    std::uint32_t newPointStyle = MarkPoints::LINEAR;

    // Throws for a scale id outside 1–3.
    MarkPoints::CMarkPointArray& curveOf(std::uint32_t scaleId);
    const MarkPoints::CMarkPointArray& curve(std::uint32_t scaleId) const;
    std::uint32_t currentScale() const { return current; }
    void setCurrentScale(std::uint32_t scaleId);
    // The last frame of the file (0 for an empty one).
    std::int32_t lastFrame() const;
    void sortCurves();

    // The markers of the shown scales for the current view; hit tests use the last layout.
    void rebuildMarkers();
    const std::vector<Marker>& markers(std::uint32_t scaleId) const;
    // The point under a pixel: the current scale first, then the other shown ones.
    std::optional<std::pair<std::uint32_t, MarkPoints::CMarkPoint>> hitTest(PixelPoint at);
    // The value under widget y snapped to the scale's display grid; throws
    // "CMarkPointEdit::getValue(): _dwScaleID invalid!" for a scale outside 1–3.
    double snappedValue(std::uint32_t scaleId, int y) const;

    // Every change of the curves, their selection or the modified flag is counted, so that the
    // view learns of an edit by comparing counts.
    void touch() { ++changes; }
    // The curves differ from the last load or save now.
    void markModified();
    void setModified(bool modified);
    bool isModified() const { return modified; }
    std::uint64_t changeCount() const { return changes; }

    // From any thread (the player's position reports): a frame past the end becomes
    // length − 1, a negative one is ignored.
    void setCursorFrame(std::int64_t frame);
    std::int64_t cursorFrame() const;

  private:
    std::uint32_t current = MarkPoints::SCALE_TIME;
    std::array<std::vector<Marker>, 3> markerLists;
    bool modified = false;
    std::uint64_t changes = 0;
    mutable std::mutex cursorLock;
    std::int64_t cursor = 0;
};

} // namespace Editor
