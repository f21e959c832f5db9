#include "markpoints/MarkPointArray.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace MarkPoints {

namespace {
constexpr std::size_t initialCapacity = 50;

bool frameBelow(const CMarkPoint& p, std::int32_t frame) {
    return p.framePosition < frame;
}
} // namespace

CMarkPointArray::CMarkPointArray() {
    points.reserve(initialCapacity);
}

std::size_t CMarkPointArray::lowerBound(std::int32_t frame) const {
    return static_cast<std::size_t>(
        std::lower_bound(points.begin(), points.end(), frame, frameBelow) - points.begin());
}

const CMarkPoint* CMarkPointArray::find(std::int32_t frame) const {
    const std::size_t i = lowerBound(frame);
    return i < points.size() && points[i].framePosition == frame ? &points[i] : nullptr;
}

CMarkPoint* CMarkPointArray::find(std::int32_t frame) {
    return const_cast<CMarkPoint*>(std::as_const(*this).find(frame));
}

// Growth by 2 × capacity + 1 keeps reallocations rare while a curve is built point by point.
void CMarkPointArray::growIfFull() {
    if (points.size() == points.capacity()) points.reserve(2 * points.capacity() + 1);
}

void CMarkPointArray::insertAt(std::size_t index, const CMarkPoint& point) {
    growIfFull();
    points.insert(points.begin() + static_cast<std::ptrdiff_t>(index), point);
}

void CMarkPointArray::insertUnique(const CMarkPoint& point) {
    const std::size_t i = lowerBound(point.framePosition);
    if (i < points.size() && points[i].framePosition == point.framePosition)
        throw std::runtime_error("cannot add two mark points at the same Frame Position!");
    insertAt(i, point);
}

std::int32_t CMarkPointArray::insertFree(const CMarkPoint& point, std::int32_t frameLimit) {
    const std::size_t start = lowerBound(point.framePosition);
    CMarkPoint placed = point;
    if (start == points.size() || points[start].framePosition != point.framePosition) {
        insertAt(start, placed);
        return placed.framePosition;
    }
    // Upward: walk the run of occupied frames; the first gap below the limit wins.
    std::int64_t c = point.framePosition;
    std::size_t i = start;
    while (c < frameLimit) {
        if (i < points.size() && points[i].framePosition == c) {
            ++i;
            ++c;
            continue;
        }
        placed.framePosition = static_cast<std::int32_t>(c);
        insertAt(i, placed);
        return placed.framePosition;
    }
    // Downward: step back over the occupied run. Frame 0 stays reserved for the curve's start.
    c = point.framePosition;
    std::size_t j = start;
    while (--c >= 1) {
        if (j == 0 || points[j - 1].framePosition != c) {
            placed.framePosition = static_cast<std::int32_t>(c);
            insertAt(j, placed);
            return placed.framePosition;
        }
        --j;
    }
    throw std::runtime_error("cannot find a free place to add this point into!");
}

void CMarkPointArray::remove(std::int32_t frame) {
    const std::size_t i = lowerBound(frame);
    if (i < points.size() && points[i].framePosition == frame)
        points.erase(points.begin() + static_cast<std::ptrdiff_t>(i));
}

void CMarkPointArray::append(const CMarkPoint& point) {
    growIfFull();
    points.push_back(point);
}

void CMarkPointArray::sort() {
    std::stable_sort(points.begin(), points.end(), [](const CMarkPoint& a, const CMarkPoint& b) {
        return a.framePosition < b.framePosition;
    });
}

void CMarkPointArray::removeDuplicateFrames() {
    const auto last =
        std::unique(points.begin(), points.end(), [](const CMarkPoint& a, const CMarkPoint& b) {
            return a.framePosition == b.framePosition;
        });
    points.erase(last, points.end());
}

double CMarkPointArray::valueAt(std::int32_t frame) const {
    // The curve starts at frame 0; earlier frames read as frame 0.
    frame = std::max(frame, std::int32_t{0});
    const auto next =
        std::upper_bound(points.begin(), points.end(), frame,
                         [](std::int32_t f, const CMarkPoint& p) { return f < p.framePosition; });
    const bool atStart = next == points.begin();
    const double prevFrame = atStart ? 0.0 : static_cast<double>((next - 1)->framePosition);
    const double prevValue = atStart ? 1.0 : static_cast<double>((next - 1)->value);
    if (next == points.end()) return prevValue;

    const std::uint32_t style = next->lineStyle;
    if (style & LINEAR) {
        const double span = static_cast<double>(next->framePosition) - prevFrame;
        return prevValue + (static_cast<double>(next->value) - prevValue) *
                               (static_cast<double>(frame) - prevFrame) / span;
    }
    if (style & KEEP) {
        for (auto p = next; p != points.begin();) {
            --p;
            if (!(p->lineStyle & KEEP)) return static_cast<double>(p->value);
        }
        return 1.0;
    }
    if (style & SQUARE) return prevValue;
    throw std::runtime_error("CMarkPointArray::valueAt() unknown Line Style!");
}

} // namespace MarkPoints
