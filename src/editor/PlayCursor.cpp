#include "editor/PlayCursor.h"

#include <algorithm>
#include <cmath>


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

PreviewCursor::PreviewCursor(const MarkPoints::CMarkPointArray& timeCurve,
                             const MarkPoints::CMarkPointArray& pitchCurve, double step,
                             std::int64_t rangeStart, std::int64_t rangeEnd,
                             std::uint64_t outputLength)
    : walk(timeCurve, pitchCurve, step), start(rangeStart), end(std::max(rangeStart, rangeEnd)),
      length(outputLength), before(walk.outputBefore(rangeStart)) {
}

std::int64_t PreviewCursor::frameAt(std::int64_t elapsed) {
    if (elapsed < 0) elapsed = 0;
    const std::uint64_t e = length > 0 ? static_cast<std::uint64_t>(elapsed) % length : 0;
    return walk.sourceAt(e + before, end);
}

} // namespace Editor
