#pragma once
// A processing job's own copy of one mark point curve, evaluated forward with a cursor.
#include <vector>

#include "markpoints/MarkPointArray.h"

namespace Process {

class ScaleArray {
  public:
    ScaleArray() = default;
    explicit ScaleArray(const MarkPoints::CMarkPointArray& curve);

    // Back before the first point, value 1.0.
    void rewind();
    // The curve's factor at a source frame; positions must not go backwards between rewinds.
    double evaluate(std::int64_t position);
    std::size_t size() const { return points.size(); }

  private:
    std::vector<MarkPoints::CMarkPoint> points;
    std::ptrdiff_t cursor = -1; // index of the last point at or before the position
    double current = 1.0;
};

} // namespace Process
