#pragma once
// What the engine can do. A request beyond these limits is refused before any work starts;
// curve values beyond them are taken as the nearest limit while a file is processed.
#include <string>

#include "engine/Factors.h"
#include "process/RowProcessor.h"

namespace Process {

inline constexpr double kMinTimeFactor = 0.1;
inline constexpr double kMaxTimeFactor = Engine::kMaxTimeFactor;
inline constexpr double kMinPitchFactor = 0.25;
inline constexpr double kMaxPitchFactor = 4.0;
inline constexpr int kMaxShiftCents = 2400; // a pitch factor of 4 in cents

// Why the row asks for more than the engine does, or an empty text when it does not.
// sourceSeconds is the duration of the source, needed for a time in seconds.
std::string rowBeyondLimits(const RowSettings& row, double sourceSeconds);

// Which of the row's curves hold values beyond the limits, or an empty text when none does.
std::string curvesBeyondLimits(const RowSettings& row);

} // namespace Process
