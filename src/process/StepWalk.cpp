#include "process/StepWalk.h"

#include <algorithm>

#include "engine/Factors.h"

namespace Process {

StepWalk::StepWalk(const MarkPoints::CMarkPointArray& timeCurve,
                   const MarkPoints::CMarkPointArray& pitchCurve, double step_)
    : time(timeCurve), pitch(pitchCurve), step(step_) {
}

void StepWalk::rewind() {
    time.rewind();
    pitch.rewind();
    position = 0;
    produced = 0;
}

StepWalk::Step StepWalk::stepAt(std::int64_t at) {
    const double t = Engine::saneTimeFactor(time.evaluate(at));
    const double p = Engine::saneRatio(pitch.evaluate(at));
    const auto out = static_cast<std::int64_t>(step / p);
    return {out, std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(out) / t)),
            t};
}

std::uint64_t StepWalk::outputBefore(std::int64_t source) {
    rewind();
    for (;;) {
        const Step s = stepAt(position);
        if (position + s.source > source) {
            produced += static_cast<std::uint64_t>(static_cast<double>(source - position) * s.time);
            const std::uint64_t total = produced;
            rewind();
            return total;
        }
        produced += static_cast<std::uint64_t>(s.output);
        position += s.source;
    }
}

std::int64_t StepWalk::sourceAt(std::uint64_t output, std::int64_t end) {
    if (output < produced) rewind();
    while (position < end) {
        const Step s = stepAt(position);
        if (produced + static_cast<std::uint64_t>(s.output) > output)
            return std::min(end, position + sourceFramesOf(static_cast<std::int64_t>(output - produced),
                                                           s.time));
        produced += static_cast<std::uint64_t>(s.output);
        position += s.source;
    }
    return end;
}

std::int64_t sourceFramesOf(std::int64_t output, double timeFactor) {
    return static_cast<std::int64_t>(static_cast<double>(output) / timeFactor);
}

} // namespace Process
