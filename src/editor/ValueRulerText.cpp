#include "editor/ValueRulerText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "markpoints/MarkPoint.h"

namespace Editor {

using namespace MarkPoints;

std::string valueRulerHeader(const CValueScale& scale, std::uint32_t scaleId,
                             std::uint32_t timeDisplay, double value) {
    const double shown = scale.displayOfValue(scaleId, timeDisplay, value);
    const char* unit = scaleId == SCALE_PITCH               ? "Pitch"
                       : scaleId == SCALE_FORMANT           ? "Formant"
                       : timeDisplay == TIMEDISPLAY_PERCENT ? "%"
                                                            : "BPM";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f\r%s", shown, unit);
    return text;
}

namespace {

constexpr double kMaxCandidates = 4000.0;

// The step after `step` in the series 1, 2, 5, 10, 20, 50, ...
double nextStep(double step) {
    const double mantissa = std::round(step / std::pow(10.0, std::floor(std::log10(step))));
    return step * (mantissa == 2.0 ? 2.5 : 2.0);
}

// The coarsest step of the series from `step` on that divides `shown`.
double coarsestDivisor(double shown, double step) {
    // 50 divides 150 where 20 does not: the whole series is tried.
    double divisor = step;
    double coarser = step;
    for (int i = 0; i < 60; ++i) {
        coarser = nextStep(coarser);
        const double q = shown / coarser;
        if (std::round(q) == 0.0 && shown != 0.0) break; // beyond the number itself
        if (std::fabs(q - std::round(q)) < 1e-6) divisor = coarser;
    }
    return divisor;
}

struct Candidate {
    ValueTick tick;
    double divisor; // the coarsest step it belongs to
    double gap;     // pixels to its neighbours one such step away, the closer one
};

// Keeps, roundest first, the candidates whose own step fits where they are (`gap`) and that
// are at least `spacing` away from every candidate kept before.
std::vector<Candidate> keepSpaced(const std::vector<Candidate>& candidates, double spacing) {
    std::vector<std::size_t> order(candidates.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return candidates[a].divisor > candidates[b].divisor;
    });
    std::vector<double> taken;
    std::vector<Candidate> kept;
    for (const std::size_t i : order) {
        const Candidate& c = candidates[i];
        if (c.gap < spacing) continue;
        const auto it = std::lower_bound(taken.begin(), taken.end(), c.tick.y);
        if (it != taken.end() && *it - c.tick.y < spacing) continue;
        if (it != taken.begin() && c.tick.y - *(it - 1) < spacing) continue;
        taken.insert(it, c.tick.y);
        kept.push_back(c);
    }
    std::sort(kept.begin(), kept.end(),
              [](const Candidate& a, const Candidate& b) { return a.tick.y < b.tick.y; });
    return kept;
}

} // namespace

std::vector<ValueTick> valueRulerTicks(const CValueScale& scale, std::uint32_t scaleId,
                                       std::uint32_t timeDisplay, double minSpacing,
                                       double labelSpacing) {
    const double a = scale.displayOfValue(scaleId, timeDisplay, scale.getMinimum());
    const double b = scale.displayOfValue(scaleId, timeDisplay, scale.getMaximum());
    const double low = std::min(a, b);
    const double high = std::max(a, b);
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low)) return {};
    // The finest step of the series that keeps the candidates few.
    double step = 1e-3;
    while ((high - low) / step > kMaxCandidates)
        step = nextStep(step);
    const auto yOf = [&](double shown) {
        const double value = scale.valueOfDisplay(scaleId, timeDisplay, shown);
        return value > 0.0 && std::isfinite(value) ? scale.pixelOfValue(value)
                                                   : std::numeric_limits<double>::quiet_NaN();
    };
    std::vector<Candidate> candidates;
    for (auto k = static_cast<std::int64_t>(std::ceil(low / step));
         static_cast<double>(k) * step <= high; ++k) {
        const double shown = static_cast<double>(k) * step;
        const double y = yOf(shown);
        if (std::isnan(y)) continue;
        const double divisor = coarsestDivisor(shown, step);
        double gap = std::numeric_limits<double>::infinity();
        for (const double neighbour : {yOf(shown - divisor), yOf(shown + divisor)})
            if (!std::isnan(neighbour)) gap = std::min(gap, std::fabs(neighbour - y));
        candidates.push_back({{y, shown, false}, divisor, gap});
    }
    std::vector<Candidate> kept = keepSpaced(candidates, minSpacing);
    std::vector<ValueTick> ticks;
    ticks.reserve(kept.size());
    for (const Candidate& c : kept)
        ticks.push_back(c.tick);
    for (const Candidate& c : keepSpaced(kept, labelSpacing))
        for (ValueTick& t : ticks)
            if (t.y == c.tick.y) t.labelled = true;
    return ticks;
}

std::string valueTickText(double shown) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", shown);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

} // namespace Editor
