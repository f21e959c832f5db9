#include "editor/PlayCursor.h"

#include <algorithm>
#include <cmath>

#include "process/EngineParameters.h"
#include "process/KALO2FileProcess.h"

namespace Editor {

std::int64_t elapsedSourceFrames(std::uint64_t outputFrames, std::uint32_t fileRate,
                                 std::uint32_t outputRate) {
    if (outputRate == 0) return 0;
    return static_cast<std::int64_t>(static_cast<double>(outputFrames) * fileRate / outputRate);
}

std::int64_t playCursorFrame(std::int64_t elapsed, std::int64_t rangeStart, std::int64_t rangeEnd) {
    const std::int64_t length = rangeEnd - rangeStart;
    if (length <= 0 || elapsed < 0) return rangeStart;
    return std::min(rangeEnd, rangeStart + elapsed % length);
}

std::int64_t stepOutputFrames(double stepFrames, double pitch) {
    return static_cast<std::int64_t>(stepFrames / pitch);
}

PreviewCursor::PreviewCursor(const MarkPoints::CMarkPointArray& timeCurve,
                             const MarkPoints::CMarkPointArray& pitchCurve, double sampleRate,
                             std::int64_t rangeStart, std::int64_t rangeEnd,
                             std::uint64_t outputLength)
    : time(timeCurve), pitch(pitchCurve),
      step(512.0 * Process::rateMultipleFor(static_cast<float>(sampleRate))), start(rangeStart),
      end(std::max(rangeStart, rangeEnd)), length(outputLength) {
    rewind();
    // The output of the part before the range: the output count when the walk reaches it.
    while (position < start) {
        const double t = Process::saneTimeFactor(time.evaluate(position));
        const double p = Process::saneRatio(pitch.evaluate(position));
        const std::int64_t o = stepOutputFrames(step, p);
        const std::int64_t next =
            position + std::max<std::int64_t>(1, static_cast<std::int64_t>(o / t));
        if (next > start) {
            produced += static_cast<std::uint64_t>(static_cast<double>(start - position) * t);
            break;
        }
        produced += static_cast<std::uint64_t>(o);
        position = next;
    }
    before = produced;
    rewind();
}

void PreviewCursor::rewind() {
    time.rewind();
    pitch.rewind();
    position = 0;
    produced = 0;
}

std::int64_t PreviewCursor::sourceFrameOf(std::uint64_t target) {
    if (target < produced) rewind();
    while (position < end) {
        const double t = Process::saneTimeFactor(time.evaluate(position));
        const double p = Process::saneRatio(pitch.evaluate(position));
        const std::int64_t o = stepOutputFrames(step, p);
        if (produced + static_cast<std::uint64_t>(o) > target)
            return position + static_cast<std::int64_t>(static_cast<double>(target - produced) / t);
        produced += static_cast<std::uint64_t>(o);
        // At least one frame a step, so that a huge time factor cannot stall the walk.
        position += std::max<std::int64_t>(1, static_cast<std::int64_t>(o / t));
    }
    return end;
}

std::int64_t PreviewCursor::frameAt(std::int64_t elapsed) {
    if (elapsed < 0) elapsed = 0;
    const std::uint64_t e = length > 0 ? static_cast<std::uint64_t>(elapsed) % length : 0;
    return std::min(end, sourceFrameOf(e + before));
}

} // namespace Editor
