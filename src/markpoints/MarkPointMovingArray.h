#pragma once
// The selected points while they are dragged or nudged, and selection over the three curves.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "markpoints/MarkPointArray.h"

namespace MarkPoints {

class CValueScale;

struct CMovingPoint {
    CMarkPoint initial; // as it was when the move began
    CMarkPoint current; // where it stands now; its frame finds it in its curve
    std::uint32_t scaleId = 0;
};

// A pixel rectangle: left and top inclusive, right and bottom exclusive.
struct CPixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Shown scales in the order time, pitch, formant.
using ScaleMask = std::array<bool, 3>;

class CMarkPointMovingArray {
  public:
    // Pixel position (x, y) of a point of a scale on the screen.
    using PointPixel = std::function<std::array<int, 2>(std::uint32_t scaleId, const CMarkPoint&)>;

    CMarkPointMovingArray(CMarkPointArray& time, CMarkPointArray& pitch, CMarkPointArray& formant,
                          const CValueScale& scale);

    void clear();
    // Takes the selected points of the enabled scales as the elements of a new move.
    void beginMove(bool time, bool pitch, bool formant, std::uint32_t timeDisplay);
    // Moves every element by frameOffset and pixelOffset from where it began; the group
    // stops at frame 0 and at the last frame (fileLength − 1).
    void moveBy(std::int32_t frameOffset, std::int32_t fileLength, std::int32_t pixelOffset);
    // Puts every element back where it began.
    void cancelMove();

    std::vector<CMovingPoint> getElements() const;
    std::int32_t getLowestFrame() const;
    std::int32_t getHighestFrame() const;

    void clearSelection(const ScaleMask& scales);
    // Selects (or deselects) the points whose pixel lies inside rect.
    void selectInRect(const ScaleMask& scales, const CPixelRect& rect, const PointPixel& pixelOf,
                      bool select);
    std::size_t countSelected(const ScaleMask& scales) const;
    bool anySelected(const ScaleMask& scales) const;
    // The first selected point in scale order, and its scale.
    std::optional<std::pair<std::uint32_t, CMarkPoint>>
    firstSelected(const ScaleMask& scales) const;
    // The highest frame among the selected points, if any.
    std::optional<std::int32_t> highestSelectedFrame(const ScaleMask& scales) const;

  private:
    CMarkPointArray& curve(std::uint32_t scaleId) const;
    std::int32_t clampOffset(std::int64_t dx, std::int64_t length) const;
    void moveElement(CMovingPoint& element, std::int32_t dx, std::int32_t length, std::int32_t dy);
    void recomputeBounds();
    template <typename Visit> void forSelected(const ScaleMask& scales, Visit visit) const;

    std::array<CMarkPointArray*, 3> curves;
    const CValueScale& scale;
    std::uint32_t timeDisplay = 0;
    std::vector<CMovingPoint> elements;
    std::int32_t lowest = 0;
    std::int32_t highest = 0;
    std::int32_t lastOffset = 0;
    // The window's repaint timer and the mouse handlers both reach the moving array.
    mutable std::mutex lock;
};

} // namespace MarkPoints
