#pragma once
// The value of a new point tuned by moving the mouse with Shift held: 0.01 display units
// (percent, BPM or semitones) per pixel, within the display equivalents of 0.25 and 4.0.
#include <cstdint>

#include "markpoints/ValueScale.h"

namespace Editor {

class CFineTune {
  public:
    // Starts at `value` (a factor) with the mouse at y. Throws
    // "CMarkPointEdit::activate_SpaceKeyDown() scale not known!" for a scale outside 1–3.
    void begin(const MarkPoints::CValueScale& scale, std::uint32_t scaleId,
               std::uint32_t timeDisplay, double value, int y);
    // Moving up raises the value; for the time curve in BPM it lowers the BPM.
    void update(const MarkPoints::CValueScale& scale, int y);

    // In display units, and as a factor.
    double display() const { return current; }
    double value(const MarkPoints::CValueScale& scale) const;
    std::uint32_t getScaleId() const { return scaleId; }

  private:
    std::uint32_t scaleId = 0;
    std::uint32_t timeDisplay = 0;
    double start = 0.0;
    double current = 0.0;
    int startY = 0;
};

} // namespace Editor
