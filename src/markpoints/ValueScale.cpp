#include "markpoints/ValueScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "markpoints/MarkPoint.h"

namespace MarkPoints {

namespace {
// 24 / ln(4): the read-outs show 12 × log2(v) through this constant.
constexpr double semitonesPerLn = 0.7213475184623375 * 24.0;

void checkTimeDisplay(std::uint32_t timeDisplay) {
    if (timeDisplay != TIMEDISPLAY_PERCENT && timeDisplay != TIMEDISPLAY_BPM)
        throw std::invalid_argument("a not existing time scale convert function was selected!");
}

void checkScale(std::uint32_t scaleId) {
    if (!isValidScaleId(scaleId))
        throw std::invalid_argument("CValueScale: scale id not identified!");
}

std::string printed(const char* format, double number) {
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}
} // namespace

CValueScale::CValueScale(double maximum_, int height, double baseBpm_, double spanParameter)
    : maximum(maximum_), minimum(1.0 / maximum_),
      half((static_cast<double>(std::max(height, 2)) - 1.0) * 0.5), lnMaximum(std::log(maximum_)),
      baseBpm(baseBpm_), semitoneSpan(6.0 * spanParameter) {
}

double CValueScale::pixelOfValue(double value) const {
    return half - std::log(value) / lnMaximum * half;
}

double CValueScale::valueOfPixel(double y) const {
    return std::exp((half - y) / half * lnMaximum);
}

double CValueScale::semitonesOfValue(double value) const {
    return std::log(value) / lnMaximum * semitoneSpan;
}

double CValueScale::valueOfSemitones(double semitones) const {
    return std::exp(semitones / semitoneSpan * lnMaximum);
}

double CValueScale::clamp(double value) const {
    if (!(value >= minimum)) return minimum;
    return value > maximum ? maximum : value;
}

double CValueScale::displayOfValue(std::uint32_t scaleId, std::uint32_t timeDisplay,
                                   double value) const {
    checkScale(scaleId);
    if (scaleId != SCALE_TIME) return std::log(value) * semitonesPerLn;
    checkTimeDisplay(timeDisplay);
    return timeDisplay == TIMEDISPLAY_PERCENT ? value * 100.0 : bpmOfValue(value);
}

double CValueScale::valueOfDisplay(std::uint32_t scaleId, std::uint32_t timeDisplay,
                                   double shown) const {
    checkScale(scaleId);
    if (scaleId != SCALE_TIME) return std::exp(shown / semitonesPerLn);
    checkTimeDisplay(timeDisplay);
    return timeDisplay == TIMEDISPLAY_PERCENT ? shown * 0.01 : valueOfBpm(shown);
}

std::string CValueScale::format(std::uint32_t scaleId, std::uint32_t timeDisplay, double value,
                                bool withUnit) const {
    const double shown = displayOfValue(scaleId, timeDisplay, value);
    if (!withUnit) return printed("%.2f", shown);
    if (scaleId == SCALE_PITCH) return printed("P %.2f", shown);
    if (scaleId == SCALE_FORMANT) return printed("F %.2f", shown);
    return printed(timeDisplay == TIMEDISPLAY_PERCENT ? "%.2f %%" : "%.2f BPM", shown);
}

} // namespace MarkPoints
