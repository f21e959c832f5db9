#include "process/ProcessingProgress.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "process/KALO2FileProcess.h"

namespace Process {

std::string remainingText(std::uint64_t ms) {
    const std::uint64_t days = ms / 86400000;
    ms %= 86400000;
    const std::uint64_t hours = ms / 3600000;
    ms %= 3600000;
    const std::uint64_t minutes = ms / 60000;
    ms %= 60000;
    const std::uint64_t seconds = ms / 1000;
    char buffer[64];
    if (days >= 2) {
        std::snprintf(buffer, sizeof buffer, "%llu days", static_cast<unsigned long long>(days));
    } else if (days == 1 || hours != 0) {
        std::snprintf(buffer, sizeof buffer, "%lluh:%.2llum",
                      static_cast<unsigned long long>(hours + 24 * days),
                      static_cast<unsigned long long>(minutes));
    } else if (minutes != 0) {
        std::snprintf(buffer, sizeof buffer, "%llu min", static_cast<unsigned long long>(minutes));
    } else {
        std::snprintf(buffer, sizeof buffer, "%llu second%s",
                      static_cast<unsigned long long>(seconds), seconds == 1 ? "" : "s");
    }
    return buffer;
}

std::string progressWindowText(std::int64_t s) {
    if (s < 0) s = 0;
    const long long hours = s / 3600, minutes = (s / 60) % 60, seconds = s % 60;
    char buffer[64];
    if (hours != 0)
        std::snprintf(buffer, sizeof buffer, "%lldh:%.2lldm", hours, minutes);
    else if (minutes == 0)
        std::snprintf(buffer, sizeof buffer, "%lld second%s", seconds, seconds == 1 ? "" : "s");
    else
        std::snprintf(buffer, sizeof buffer, "%lld min", minutes);
    return buffer;
}

std::uint64_t ProcessingProgress::now() const {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void ProcessingProgress::reset() {
    lastTick = now();
    current = 0.0;
    lastEstimatePercent = 0.0;
    remaining = 0;
    text.clear();
    estimated = false;
}

void ProcessingProgress::estimate(double p) {
    current = p;
    const std::uint64_t tick = now();
    if (p == lastEstimatePercent) {
        lastTick = tick; // nothing moved: the clock starts again
        return;
    }
    const std::uint64_t elapsed = tick - lastTick;
    if (elapsed < interval) return;
    const double total = (100.0 / (p - lastEstimatePercent)) * static_cast<double>(elapsed);
    const double left = total - total * p * 0.01;
    lastTick = tick;
    lastEstimatePercent = p;
    setRemaining(left > 0 && std::isfinite(left) ? static_cast<std::uint64_t>(left) : 0);
}

void ProcessingProgress::setPercent(double p) {
    estimate(p);
}

void ProcessingProgress::setRemaining(std::uint64_t ms) {
    remaining = ms;
    text = remainingText(ms);
    estimated = true;
}

void BatchProgress::setPercent(double p) {
    if (now() - lastTick < 100) return;
    estimate(p);
    const auto seconds = static_cast<std::int64_t>((remaining + 1000) / 1000);
    if (!window.update(static_cast<int>(p * 10), seconds) && job) job->requestAbort();
}

} // namespace Process
