#include "editor/FineTune.h"

#include <algorithm>
#include <stdexcept>

#include "markpoints/MarkPoint.h"

namespace Editor {

namespace {
constexpr double kDisplayUnitsPerPixel = 0.01;
}

void CFineTune::begin(const MarkPoints::CValueScale& scale, std::uint32_t scaleId_,
                      std::uint32_t timeDisplay_, double value_, int y) {
    if (!MarkPoints::isValidScaleId(scaleId_))
        throw std::invalid_argument("CMarkPointEdit::activate_SpaceKeyDown() scale not known!");
    scaleId = scaleId_;
    timeDisplay = timeDisplay_;
    start = current = scale.displayOfValue(scaleId, timeDisplay, value_);
    startY = y;
}

void CFineTune::update(const MarkPoints::CValueScale& scale, int y) {
    if (!MarkPoints::isValidScaleId(scaleId))
        throw std::invalid_argument(
            "CMarkPointEdit::update_CurrentFineTuneValue() scale not known!");
    double step = static_cast<double>(startY - y) * kDisplayUnitsPerPixel;
    if (scaleId == MarkPoints::SCALE_TIME && timeDisplay == MarkPoints::TIMEDISPLAY_BPM)
        step = -step;
    const double a = scale.displayOfValue(scaleId, timeDisplay, scale.getMinimum());
    const double b = scale.displayOfValue(scaleId, timeDisplay, scale.getMaximum());
    current = std::clamp(start + step, std::min(a, b), std::max(a, b));
}

double CFineTune::value(const MarkPoints::CValueScale& scale) const {
    return scale.clamp(scale.valueOfDisplay(scaleId, timeDisplay, current));
}

} // namespace Editor
