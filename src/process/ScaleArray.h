#pragma once
// A processing job's own copy of one mark point curve, evaluated forward with a cursor.
#include <span>
#include <vector>

#include "markpoints/MarkPointArray.h"

namespace Process {

// Where the evaluation of one curve stands: the last point passed and the factor it gave. Kept
// apart from the points so that points shared read-only (the live audition's snapshots) can be
// evaluated without a copy.
class CurveCursor {
  public:
    // Back before the first point, value 1.0.
    void rewind();
    // Onto other points at the next evaluation, keeping the factor: a KEEP segment holds on to
    // what the earlier points gave.
    void resume() { cursor = -1; }
    // The curve's factor at a source frame; positions must not go backwards between rewinds.
    double evaluate(std::span<const MarkPoints::CMarkPoint> points, std::int64_t position);

  private:
    std::ptrdiff_t cursor = -1; // index of the last point at or before the position
    double current = 1.0;
};

class ScaleArray {
  public:
    ScaleArray() = default;
    explicit ScaleArray(const MarkPoints::CMarkPointArray& curve);

    // Back before the first point, value 1.0.
    void rewind() { cursor.rewind(); }
    // The curve's factor at a source frame; positions must not go backwards between rewinds.
    double evaluate(std::int64_t position) { return cursor.evaluate(points, position); }
    std::size_t size() const { return points.size(); }

  private:
    std::vector<MarkPoints::CMarkPoint> points;
    CurveCursor cursor;
};

} // namespace Process
