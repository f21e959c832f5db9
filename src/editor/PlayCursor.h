#pragma once
// Where the editor's cursor stands while the file or a preview of its processed result plays:
// the source frame whose sound is being heard.
#include <cstdint>

#include "markpoints/MarkPointArray.h"
#include "process/StepWalk.h"

namespace Editor {

// Source frames played so far: output frames × file rate / output rate, truncated. 0 when the
// output rate is 0.
std::int64_t elapsedSourceFrames(std::uint64_t outputFrames, std::uint32_t fileRate,
                                 std::uint32_t outputRate);

// Plain play of [rangeStart, rangeEnd), looping: rangeStart + (elapsed mod length), at most
// rangeEnd. An empty range gives rangeStart.
std::int64_t playCursorFrame(std::int64_t elapsed, std::int64_t rangeStart, std::int64_t rangeEnd);

// The cursor of a preview of [rangeStart, rangeEnd) that was processed along the time and
// pitch curves: walks the source from frame 0 by the engine's steps, as processing does, over
// its own copies of the curves. Allocates nothing after construction; one thread at a time.
class PreviewCursor {
  public:
    // `outputLength`: frames of the rendered preview; `step`: the engine's step.
    PreviewCursor(const MarkPoints::CMarkPointArray& timeCurve,
                  const MarkPoints::CMarkPointArray& pitchCurve, double step,
                  std::int64_t rangeStart, std::int64_t rangeEnd, std::uint64_t outputLength);

    // The source frame heard `elapsed` preview frames after the start (the preview loops).
    std::int64_t frameAt(std::int64_t elapsed);
    // Output frames that the part of the file before the range start gives.
    std::uint64_t outputBeforeRange() const { return before; }
    double stepFrames() const { return walk.stepFrames(); }

  private:
    Process::StepWalk walk;
    std::int64_t start, end;
    std::uint64_t length;
    std::uint64_t before;
};

} // namespace Editor
