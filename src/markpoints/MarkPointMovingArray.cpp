#include "markpoints/MarkPointMovingArray.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "markpoints/ValueScale.h"
#include "markpoints/ValueSnapping.h"

namespace MarkPoints {

CMarkPointMovingArray::CMarkPointMovingArray(CMarkPointArray& time, CMarkPointArray& pitch,
                                             CMarkPointArray& formant, const CValueScale& scale_)
    : curves{&time, &pitch, &formant}, scale(scale_) {
}

CMarkPointArray& CMarkPointMovingArray::curve(std::uint32_t scaleId) const {
    if (!isValidScaleId(scaleId)) throw std::runtime_error("wrong ScaleID for Element to Move!");
    return *curves[scaleId - 1];
}

void CMarkPointMovingArray::clear() {
    std::lock_guard guard(lock);
    elements.clear();
    lastOffset = 0;
}

void CMarkPointMovingArray::beginMove(bool time, bool pitch, bool formant,
                                      std::uint32_t timeDisplay_) {
    std::lock_guard guard(lock);
    lastOffset = 0;
    timeDisplay = timeDisplay_;
    const ScaleMask enabled{time, pitch, formant};
    for (std::uint32_t id = SCALE_TIME; id <= SCALE_FORMANT; ++id) {
        if (!enabled[id - 1]) continue;
        for (const CMarkPoint& p : *curves[id - 1])
            if (p.selected) elements.push_back({p, p, id});
    }
    if (!elements.empty()) recomputeBounds();
}

void CMarkPointMovingArray::recomputeBounds() {
    lowest = std::numeric_limits<std::int32_t>::max();
    highest = 0;
    for (const CMovingPoint& e : elements) {
        lowest = std::min(lowest, e.initial.framePosition);
        highest = std::max(highest, e.initial.framePosition);
    }
}

std::int32_t CMarkPointMovingArray::clampOffset(std::int64_t dx, std::int64_t length) const {
    if (dx < 0 && lowest + dx < 0)
        dx = -std::int64_t{lowest};
    else if (dx >= 0 && highest + dx >= length)
        dx = length - highest - 1;
    // Points that lie past the end of the file may pull the group left; never before frame 0.
    if (lowest + dx < 0) dx = -std::int64_t{lowest};
    return static_cast<std::int32_t>(dx);
}

void CMarkPointMovingArray::moveBy(std::int32_t frameOffset, std::int32_t fileLength,
                                   std::int32_t pixelOffset) {
    std::lock_guard guard(lock);
    if (elements.empty()) return;
    const std::int32_t dx = clampOffset(frameOffset, fileLength);
    // Moving left, the leftmost point goes first; moving right, the rightmost: a point never
    // lands on a frame that a neighbour of the group has not left yet.
    if (lastOffset >= dx) {
        for (CMovingPoint& e : elements)
            moveElement(e, dx, fileLength, pixelOffset);
    } else {
        for (auto e = elements.rbegin(); e != elements.rend(); ++e)
            moveElement(*e, dx, fileLength, pixelOffset);
    }
    lastOffset = dx;
}

void CMarkPointMovingArray::moveElement(CMovingPoint& e, std::int32_t dx, std::int32_t length,
                                        std::int32_t dy) {
    CMarkPointArray& points = curve(e.scaleId);
    double value = e.initial.value;
    if (dy != 0) {
        const double y = std::trunc(scale.pixelOfValue(scale.clamp(value))) + dy;
        value = snappedValueOfPixel(scale, e.scaleId, timeDisplay, y);
    }
    value = scale.clamp(value);
    const CMarkPoint moved{static_cast<std::int32_t>(std::int64_t{e.initial.framePosition} + dx),
                           static_cast<float>(value), e.initial.lineStyle, 1};

    const CMarkPoint* standing = points.find(e.current.framePosition);
    const std::optional<CMarkPoint> previous =
        standing ? std::optional<CMarkPoint>(*standing) : std::nullopt;
    points.remove(e.current.framePosition);
    try {
        e.current.framePosition = points.insertFree(moved, length);
    } catch (...) {
        // The frame it left is free, so the point goes back there instead of being lost.
        if (previous) points.insertUnique(*previous);
        throw;
    }
    e.current.value = moved.value;
}

void CMarkPointMovingArray::cancelMove() {
    std::lock_guard guard(lock);
    if (elements.empty()) return;
    // All points leave first: returning them one by one could meet a group member that still
    // stands on the frame another one started from.
    for (const CMovingPoint& e : elements)
        curve(e.scaleId).remove(e.current.framePosition);
    for (CMovingPoint& e : elements) {
        CMarkPoint back = e.initial;
        back.selected = 1;
        curve(e.scaleId).insertUnique(back);
        e.current = back;
    }
    lastOffset = 0;
}

std::vector<CMovingPoint> CMarkPointMovingArray::getElements() const {
    std::lock_guard guard(lock);
    return elements;
}

std::int32_t CMarkPointMovingArray::getLowestFrame() const {
    std::lock_guard guard(lock);
    return lowest;
}

std::int32_t CMarkPointMovingArray::getHighestFrame() const {
    std::lock_guard guard(lock);
    return highest;
}

template <typename Visit>
void CMarkPointMovingArray::forSelected(const ScaleMask& scales, Visit visit) const {
    for (std::uint32_t id = SCALE_TIME; id <= SCALE_FORMANT; ++id) {
        if (!scales[id - 1]) continue;
        for (CMarkPoint& p : *curves[id - 1])
            if (p.selected && !visit(id, p)) return;
    }
}

void CMarkPointMovingArray::clearSelection(const ScaleMask& scales) {
    std::lock_guard guard(lock);
    forSelected(scales, [](std::uint32_t, CMarkPoint& p) {
        p.selected = 0;
        return true;
    });
}

void CMarkPointMovingArray::selectInRect(const ScaleMask& scales, const CPixelRect& rect,
                                         const PointPixel& pixelOf, bool select) {
    std::lock_guard guard(lock);
    for (std::uint32_t id = SCALE_TIME; id <= SCALE_FORMANT; ++id) {
        if (!scales[id - 1]) continue;
        for (CMarkPoint& p : *curves[id - 1]) {
            const auto [x, y] = pixelOf(id, p);
            if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom)
                p.selected = select ? 1 : 0;
        }
    }
}

std::size_t CMarkPointMovingArray::countSelected(const ScaleMask& scales) const {
    std::lock_guard guard(lock);
    std::size_t count = 0;
    forSelected(scales, [&count](std::uint32_t, const CMarkPoint&) {
        ++count;
        return true;
    });
    return count;
}

bool CMarkPointMovingArray::anySelected(const ScaleMask& scales) const {
    return firstSelected(scales).has_value();
}

std::optional<std::pair<std::uint32_t, CMarkPoint>>
CMarkPointMovingArray::firstSelected(const ScaleMask& scales) const {
    std::lock_guard guard(lock);
    std::optional<std::pair<std::uint32_t, CMarkPoint>> first;
    forSelected(scales, [&first](std::uint32_t id, const CMarkPoint& p) {
        first.emplace(id, p);
        return false;
    });
    return first;
}

std::optional<std::int32_t>
CMarkPointMovingArray::highestSelectedFrame(const ScaleMask& scales) const {
    std::lock_guard guard(lock);
    std::optional<std::int32_t> highestFrame;
    forSelected(scales, [&highestFrame](std::uint32_t, const CMarkPoint& p) {
        highestFrame = std::max(highestFrame.value_or(p.framePosition), p.framePosition);
        return true;
    });
    return highestFrame;
}

} // namespace MarkPoints
