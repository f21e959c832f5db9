#pragma once
// How processing moves through a source, step by engine step, along the time and pitch curves.
// Every step evaluates both curves at its source position and gives o = trunc(step / pitch)
// output frames for trunc(o / time) source frames (at least one, so that a huge time factor
// cannot stall the walk). The length estimate of a job, the preview's cursor and the live
// audition's cursor all walk this way.
//
// One thread at a time; allocates nothing after construction.
#include <cstdint>

#include "markpoints/MarkPointArray.h"
#include "process/ScaleArray.h"

namespace Process {

class StepWalk {
  public:
    // `step`: the engine's output frames per call at pitch 1.0.
    StepWalk(const MarkPoints::CMarkPointArray& timeCurve,
             const MarkPoints::CMarkPointArray& pitchCurve, double step);

    // Output frames the walk gives from source frame 0 until it reaches `source`; of the step
    // that passes it, trunc(frames before it × time) count.
    std::uint64_t outputBefore(std::int64_t source);
    // The source frame heard `output` frames after the walk's start, at most `end`. Walks on
    // from where the last call stopped, or again from the start for an earlier target.
    std::int64_t sourceAt(std::uint64_t output, std::int64_t end);
    double stepFrames() const { return step; }

  private:
    struct Step {
        std::int64_t output; // frames this step gives
        std::int64_t source; // frames it moves on
        double time;
    };
    Step stepAt(std::int64_t position);
    void rewind();

    ScaleArray time, pitch;
    double step;
    // Where the walk stands: the source position of the next step and the output before it.
    std::int64_t position = 0;
    std::uint64_t produced = 0;
};

// Source frames that `output` output frames cover at a fixed time factor: trunc(output / time).
std::int64_t sourceFramesOf(std::int64_t output, double timeFactor);

} // namespace Process
