#include "process/ProcessingLimits.h"

#include <cstdio>
#include <stdexcept>

namespace Process {

namespace {

// Exact limits such as 10 % stay inside despite the rounding of the unit conversion.
constexpr double kTolerance = 1e-9;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string pitchProblem(int semitones, int cents) {
    const int shift = semitones * 100 + cents;
    if (shift >= -kMaxShiftCents && shift <= kMaxShiftCents) return {};
    return "a pitch shift of " + std::to_string(semitones) + " semitones " + std::to_string(cents) +
           " cents is beyond the range of -24 to +24 semitones";
}

// The allowed range in the unit the row uses, for example "10% to 12800%".
std::string rangeInUnit(const RowSettings& row, double sourceSeconds) {
    switch (row.timeUnit) {
    case Seconds:
        return number(kMinTimeFactor * sourceSeconds) + " s to " +
               number(kMaxTimeFactor * sourceSeconds) + " s for a source of " +
               number(sourceSeconds) + " s";
    case Percent:
        return number(kMinTimeFactor * 100.0) + "% to " + number(kMaxTimeFactor * 100.0) + "%";
    case Bpm:
        return number(row.sourceBpm / kMaxTimeFactor) + " bpm to " +
               number(row.sourceBpm / kMinTimeFactor) + " bpm for a source at " +
               number(row.sourceBpm) + " bpm";
    }
    return {};
}

std::string valueInUnit(const RowSettings& row) {
    static const char* const units[] = {" s", "%", " bpm"};
    return number(row.timeValue) + units[row.timeUnit];
}

std::string timeProblem(const RowSettings& row, double sourceSeconds) {
    double factor = 0.0;
    try {
        factor = timeFactorOf(row.timeValue, row.timeUnit, sourceSeconds, row.sourceBpm);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    if (factor >= kMinTimeFactor * (1.0 - kTolerance) &&
        factor <= kMaxTimeFactor * (1.0 + kTolerance))
        return {};
    return "a time of " + valueInUnit(row) + " is beyond the range of " +
           rangeInUnit(row, sourceSeconds);
}

std::string curveProblem(const MarkPoints::CMarkPointArray& curve, const char* name, double low, double high) {
    for (std::size_t i = 0; i < curve.size(); ++i) {
        const double value = curve[i].value;
        if (!(value >= low * (1.0 - kTolerance) && value <= high * (1.0 + kTolerance)))
            return std::string(name) + " curve (" + number(low) + " to " + number(high) + ")";
    }
    return {};
}

} // namespace

std::string rowBeyondLimits(const RowSettings& row, double sourceSeconds) {
    if (row.doubleLength || row.useMarkPoints) return {}; // fixed factors, or the curves
    std::string problem = pitchProblem(row.semitones, row.cents);
    if (problem.empty()) problem = timeProblem(row, sourceSeconds);
    return problem;
}

std::string curvesBeyondLimits(const RowSettings& row) {
    std::string text;
    for (const std::string& problem :
         {curveProblem(row.curves[0], "time", kMinTimeFactor, kMaxTimeFactor),
          curveProblem(row.curves[1], "pitch", kMinPitchFactor, kMaxPitchFactor),
          curveProblem(row.curves[2], "formant", kMinPitchFactor, kMaxPitchFactor)})
        if (!problem.empty()) text += (text.empty() ? "" : ", ") + problem;
    if (text.empty()) return text;
    return "values beyond the engine's range are taken as the nearest limit: " + text;
}

} // namespace Process
