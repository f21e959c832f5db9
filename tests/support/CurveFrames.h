#pragma once
// Curve helpers for the tests: a curve built from points, and its points' frame positions.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "markpoints/MarkPointArray.h"

inline std::vector<std::int32_t> frames(const MarkPoints::CMarkPointArray& curve) {
    std::vector<std::int32_t> out;
    for (const MarkPoints::CMarkPoint& p : curve)
        out.push_back(p.framePosition);
    return out;
}

namespace TestSupport {

inline MarkPoints::CMarkPointArray curveOf(std::initializer_list<MarkPoints::CMarkPoint> points) {
    MarkPoints::CMarkPointArray curve;
    for (const MarkPoints::CMarkPoint& p : points)
        curve.insertUnique(p);
    return curve;
}

} // namespace TestSupport
