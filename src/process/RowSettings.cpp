#include "process/RowSettings.h"

#include <cmath>
#include <stdexcept>

namespace Process {

double pitchFactorOf(int semitones, int cents) {
    constexpr float twelfth = 1.0f / 12.0f;
    constexpr float centStep = 1.0f / 1200.0f;
    return std::pow(2.0, semitones * static_cast<double>(twelfth) +
                             cents * static_cast<double>(centStep));
}

double timeFactorOf(double value, TimeUnit unit, double sourceSeconds, double sourceBpm) {
    double factor = 0.0;
    if (unit == Seconds)
        factor = value / sourceSeconds;
    else if (unit == Percent)
        factor = value * 0.01;
    else
        factor = sourceBpm / value;
    if (!std::isfinite(factor) || factor <= 0.0)
        throw std::invalid_argument("the time value gives no usable time factor");
    return factor;
}

} // namespace Process
