#pragma once
// One mark point curve: points in ascending frame order, never two on one frame.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "markpoints/MarkPoint.h"

namespace MarkPoints {

class CMarkPointArray {
  public:
    CMarkPointArray();

    std::size_t size() const { return points.size(); }
    bool empty() const { return points.empty(); }
    std::size_t capacity() const { return points.capacity(); }
    const CMarkPoint& operator[](std::size_t i) const { return points[i]; }
    CMarkPoint& operator[](std::size_t i) { return points[i]; }
    auto begin() const { return points.begin(); }
    auto end() const { return points.end(); }
    auto begin() { return points.begin(); }
    auto end() { return points.end(); }

    // The point at exactly this frame, or nullptr.
    const CMarkPoint* find(std::int32_t frame) const;
    CMarkPoint* find(std::int32_t frame);
    // Index of the first point whose frame is not below the given one (size() if none).
    std::size_t lowerBound(std::int32_t frame) const;

    // Throws when the frame is taken; the array is then unchanged.
    void insertUnique(const CMarkPoint& point);
    // Inserts on the point's frame or, when that is taken, on the nearest free frame above
    // (below frameLimit), else the nearest free frame below (never frame 0). Returns the
    // frame used; throws, leaving the array unchanged, when no frame is free.
    std::int32_t insertFree(const CMarkPoint& point, std::int32_t frameLimit);
    // Removes the point at exactly this frame; no effect when there is none.
    void remove(std::int32_t frame);
    void clear() { points.clear(); }

    // Adds at the end without keeping the order; call sort() afterwards.
    void append(const CMarkPoint& point);
    // Orders by frame; points on one frame keep their relative order.
    void sort();
    // After sort(): keeps only the first of several points on one frame.
    void removeDuplicateFrames();

    // The curve's factor at a frame: a virtual start point (frame 0, value 1.0) stands before
    // the first point; each point's style shapes the segment that ends at it; after the
    // last point its value holds. An empty curve is 1.0. A KEEP segment holds the value of
    // the nearest earlier point that is not KEEP (1.0 if none).
    double valueAt(std::int32_t frame) const;

    bool operator==(const CMarkPointArray& other) const { return points == other.points; }

  private:
    void growIfFull();
    void insertAt(std::size_t index, const CMarkPoint& point);

    std::vector<CMarkPoint> points;
};

} // namespace MarkPoints
