#pragma once
// The display grid that values snap to when a point is placed or dragged by pixels.
#include <cstdint>

namespace MarkPoints {

class CValueScale;

// The value under pixel y, rounded to the grid of the scale's display unit: 0.1 % or 1 %
// (time in percent), 0.1 or 1 BPM (time in BPM), 0.1 or 1 semitone (pitch, formant). The
// finer grid applies when one pixel covers at most about one step of it, so a magnified
// view snaps finer. The result is not clamped.
double snappedValueOfPixel(const CValueScale& scale, std::uint32_t scaleId,
                           std::uint32_t timeDisplay, double y);

} // namespace MarkPoints
