#include "process/ScaleArray.h"

#include <stdexcept>

namespace Process {

ScaleArray::ScaleArray(const MarkPoints::CMarkPointArray& curve)
    : points(curve.begin(), curve.end()) {
}

void CurveCursor::rewind() {
    cursor = -1;
    current = 1.0;
}

double CurveCursor::evaluate(std::span<const MarkPoints::CMarkPoint> points,
                             std::int64_t position) {
    const auto count = static_cast<std::ptrdiff_t>(points.size());
    while (cursor + 1 < count &&
           points[static_cast<std::size_t>(cursor + 1)].framePosition <= position)
        ++cursor;
    const double before = cursor >= 0 ? points[static_cast<std::size_t>(cursor)].value : 1.0;
    if (cursor + 1 >= count) {
        current = before;
        return current;
    }
    const MarkPoints::CMarkPoint& next = points[static_cast<std::size_t>(cursor + 1)];
    if (next.lineStyle & MarkPoints::LINEAR) {
        const double startPosition =
            cursor >= 0 ? points[static_cast<std::size_t>(cursor)].framePosition : 0;
        const double span = next.framePosition - startPosition;
        current = span > 0 ? before + (next.value - before) *
                                          (static_cast<double>(position) - startPosition) / span
                           : before;
    } else if (next.lineStyle & MarkPoints::KEEP) {
        // the factor stays where the previous evaluation left it
    } else if (next.lineStyle & MarkPoints::SQUARE) {
        current = before;
    } else {
        throw std::runtime_error("CKALO2FileProcess::process_ScaleArray: unknown Type!");
    }
    return current;
}

} // namespace Process
