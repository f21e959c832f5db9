#include "engine/Factors.h"

#include <algorithm>
#include <cmath>

namespace Engine {

double saneRatio(double factor) {
    if (std::isnan(factor)) return 1.0;
    return std::clamp(factor, 0.25, 4.0);
}

double saneTimeFactor(double factor) {
    if (std::isnan(factor)) return 1.0;
    return std::clamp(factor, 0.1, kMaxTimeFactor);
}

Factors saneFactors(const Factors& f) {
    return {saneTimeFactor(f.time), saneRatio(f.pitch), saneRatio(f.formant)};
}

} // namespace Engine
