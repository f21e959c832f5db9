#include "markpoints/ValueSnapping.h"

#include <cmath>
#include <stdexcept>

#include "markpoints/MarkPoint.h"
#include "markpoints/ValueScale.h"

namespace MarkPoints {

namespace {
// Rounds to the nearest integer, ties to even; stays in double so that far-off pixels
// (huge or tiny values) cannot overflow an integer conversion.
double nearest(double x) {
    return std::nearbyint(x);
}

double truncatedSize(double x) {
    return std::fabs(std::trunc(x));
}

double snapPercent(double a, double b) {
    if (truncatedSize((a - b) * 10000.0) <= 10.0) return nearest(a * 1000.0) * 0.001;
    return nearest(a * 100.0) * 0.01;
}

double snapBpm(const CValueScale& scale, double a, double b) {
    const double base = scale.getBaseBpm();
    const double bpm = truncatedSize(base / (a - b) * 10.0) <= 10.0 ? nearest(base / a * 10.0) * 0.1
                                                                    : nearest(base / a);
    return base / bpm;
}

double snapSemitones(const CValueScale& scale, double a, double b) {
    const double sa = scale.semitonesOfValue(a);
    const double sb = scale.semitonesOfValue(b);
    const double semitones =
        truncatedSize(sa * 10.0 - sb * 10.0) <= 1.0 ? nearest(sa * 10.0) * 0.1 : nearest(sa);
    return scale.valueOfSemitones(semitones);
}
} // namespace

double snappedValueOfPixel(const CValueScale& scale, std::uint32_t scaleId,
                           std::uint32_t timeDisplay, double y) {
    const double a = scale.valueOfPixel(y);
    const double b = scale.valueOfPixel(y - 1.0);
    if (scaleId == SCALE_PITCH || scaleId == SCALE_FORMANT) return snapSemitones(scale, a, b);
    if (scaleId != SCALE_TIME)
        throw std::invalid_argument("snappedValueOfPixel(): scale id invalid!");
    if (timeDisplay == TIMEDISPLAY_PERCENT) return snapPercent(a, b);
    if (timeDisplay == TIMEDISPLAY_BPM) return snapBpm(scale, a, b);
    throw std::invalid_argument("a not existing time scale convert function was selected!");
}

} // namespace MarkPoints
