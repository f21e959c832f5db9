#pragma once
// The frame positions of a curve's points, in order: what most curve tests compare.
#include <cstdint>
#include <vector>

#include "editor/markpoints/MarkPointArray.h"


inline std::vector<std::int32_t> frames(const MarkPoints::CMarkPointArray& curve) {
    std::vector<std::int32_t> out;
    for (const MarkPoints::CMarkPoint& p : curve)
        out.push_back(p.framePosition);
    return out;
}
