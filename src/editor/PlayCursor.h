#pragma once
// Where the editor's cursor stands while the file or a preview of its processed result plays:
// the source frame whose sound is being heard.
#include <cstdint>

#include "editor/markpoints/MarkPointArray.h"
#include "process/ScaleArray.h"

namespace Editor {

// Source frames played so far: output frames × file rate / output rate, truncated. 0 when the
// output rate is 0.
std::int64_t elapsedSourceFrames(std::uint64_t outputFrames, std::uint32_t fileRate,
                                 std::uint32_t outputRate);

// Plain play of [rangeStart, rangeEnd), looping: rangeStart + (elapsed mod length), at most
// rangeEnd. An empty range gives rangeStart.
std::int64_t playCursorFrame(std::int64_t elapsed, std::int64_t rangeStart, std::int64_t rangeEnd);

// Output frames of one processing step, for a pitch factor: trunc(step / pitch).
std::int64_t stepOutputFrames(double stepFrames, double pitch);

// The cursor of a preview of [rangeStart, rangeEnd) that was processed along the time and
// pitch curves. Walks the source from frame 0 the way the processing job steps through it
// (one engine call: o = trunc(step / pitch) output frames for trunc(o / time) source frames)
// over its own copies of the curves. Allocates nothing after construction; one thread at a
// time. Later positions continue the walk, an earlier one walks again from the start.
class PreviewCursor {
  public:
    // `outputLength`: frames of the rendered preview; `sampleRate`: the file's.
    PreviewCursor(const MarkPoints::CMarkPointArray& timeCurve,
                  const MarkPoints::CMarkPointArray& pitchCurve, double sampleRate,
                  std::int64_t rangeStart, std::int64_t rangeEnd, std::uint64_t outputLength);

    // The source frame heard `elapsed` preview frames after the start (the preview loops).
    std::int64_t frameAt(std::int64_t elapsed);
    // Output frames that the part of the file before the range start gives.
    std::uint64_t outputBeforeRange() const { return before; }
    double stepFrames() const { return step; }

  private:
    // Walks on (or from the start, for an earlier target) to the step that passes `target`
    // output frames; returns its source frame.
    std::int64_t sourceFrameOf(std::uint64_t target);
    void rewind();

    Process::ScaleArray time, pitch;
    double step;
    std::int64_t start, end;
    std::uint64_t length;
    std::uint64_t before = 0;
    // The walk so far: the source position of the next step and the output before it.
    std::int64_t position = 0;
    std::uint64_t produced = 0;
};

} // namespace Editor
