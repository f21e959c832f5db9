#pragma once
// The value rulers beside the editor view: the header text of the value under the mouse and
// the ticks along the axis, in the unit of each scale.
#include <cstdint>
#include <string>
#include <vector>

#include "markpoints/ValueScale.h"

namespace Editor {

// "%.2f" of the value in the ruler's unit, a carriage return and the unit's name: "%"
// (time in percent), "BPM" (time in BPM: base BPM / value), "Pitch" or "Formant" (semitones).
// Throws std::invalid_argument for a scale or time display that does not exist.
std::string valueRulerHeader(const MarkPoints::CValueScale& scale, std::uint32_t scaleId,
                             std::uint32_t timeDisplay, double value);

// A tick of a value ruler: its y on the axis (0 at the maximum), the number it stands for in
// the ruler's unit, and whether it carries a label.
struct ValueTick {
    double y = 0.0;
    double shown = 0.0;
    bool labelled = false;
};

// Ticks at multiples of the steps 1, 2, 5, 10, 20 ... of the ruler's unit, roundest first,
// each kept when it is at least `minSpacing` pixels from every tick kept before: dense where
// the axis gives room, sparse where it is compressed. The labelled ones are chosen the same way
// with `labelSpacing`. Ordered from the top.
std::vector<ValueTick> valueRulerTicks(const MarkPoints::CValueScale& scale, std::uint32_t scaleId,
                                       std::uint32_t timeDisplay, double minSpacing = 10.0,
                                       double labelSpacing = 24.0);

// "%g"-like text of a tick's number: no trailing zeros.
std::string valueTickText(double shown);

} // namespace Editor
