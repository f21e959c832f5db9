#pragma once
// The vertical value axis shared by the three curves: factor <-> pixel, semitones and BPM.
#include <cstdint>
#include <string>

namespace MarkPoints {

inline constexpr std::uint32_t TIMEDISPLAY_PERCENT = 1;
inline constexpr std::uint32_t TIMEDISPLAY_BPM = 2;

class CValueScale {
  public:
    // height: the axis height in pixels (at least 2 is used, so that the half height is
    // never zero); baseBpm: the file's original tempo, for the BPM display of the time curve.
    CValueScale(double maximum, int height, double baseBpm, double spanParameter = 4.0);

    double getMaximum() const { return maximum; }
    double getMinimum() const { return minimum; }
    double getHalfHeight() const { return half; }
    double getBaseBpm() const { return baseBpm; }
    void setBaseBpm(double bpm) { baseBpm = bpm; }

    // y grows downwards: the maximum sits at 0, 1.0 in the middle, the minimum at 2 × half.
    double pixelOfValue(double value) const;
    double valueOfPixel(double y) const;
    double semitonesOfValue(double value) const;
    double valueOfSemitones(double semitones) const;
    double bpmOfValue(double value) const { return baseBpm / value; }
    double valueOfBpm(double bpm) const { return baseBpm / bpm; }
    // Into [minimum, maximum]; a value that is not a number becomes the minimum.
    double clamp(double value) const;

    // The number a read-out shows for a value, in the unit of the scale and time display
    // (percent, BPM or semitones), and back.
    double displayOfValue(std::uint32_t scaleId, std::uint32_t timeDisplay, double value) const;
    double valueOfDisplay(std::uint32_t scaleId, std::uint32_t timeDisplay, double shown) const;
    // "%.2f %%", "%.2f BPM", "P %.2f", "F %.2f"; just "%.2f" without the unit.
    std::string format(std::uint32_t scaleId, std::uint32_t timeDisplay, double value,
                       bool withUnit) const;

  private:
    double maximum;
    double minimum;
    double half;
    double lnMaximum;
    double baseBpm;
    double semitoneSpan;
};

} // namespace MarkPoints
