#include "engine/studio/OnsetDetector.h"

#include <algorithm>
#include <cmath>

namespace Engine::Studio {

namespace {
// An onset block carries this many times the mean energy of the blocks before it.
constexpr double kRise = 10.0;
} // namespace

OnsetDetector::OnsetDetector(double sampleRate)
    : floor(kBlock * 1e-8), refractory(static_cast<int>(sampleRate * 0.02)) {
}

void OnsetDetector::reset() {
    previous.fill(0.0f);
    history.fill(0.0);
    historyNext = 0;
    energy = 0.0;
    loudest = -1.0;
    loudestAt = 0;
    filled = 0;
    onsetCount = 0;
    onsetNext = 0;
}

void OnsetDetector::add(const float* const* channels, int channelCount, std::int64_t position,
                        int count) {
    for (int i = 0; i < count; ++i) {
        double e = 0.0;
        for (int c = 0; c < channelCount; ++c) {
            const double d = double{channels[c][i]} - previous[static_cast<std::size_t>(c)];
            previous[static_cast<std::size_t>(c)] = channels[c][i];
            e += d * d;
        }
        energy += e;
        if (e > loudest) loudest = e, loudestAt = position + i;
        if (++filled == kBlock) closeBlock();
    }
}

void OnsetDetector::closeBlock() {
    double mean = 0.0;
    for (const double h : history)
        mean += h;
    mean /= kHistoryBlocks;
    const std::int64_t last =
        onsetCount > 0
            ? onsets[static_cast<std::size_t>((onsetNext + kRemembered - 1) % kRemembered)]
            : loudestAt - refractory;
    if (energy > floor && energy > kRise * mean && loudestAt - last >= refractory) {
        onsets[static_cast<std::size_t>(onsetNext)] = loudestAt;
        onsetNext = (onsetNext + 1) % kRemembered;
        onsetCount = std::min(onsetCount + 1, kRemembered);
    }
    history[static_cast<std::size_t>(historyNext)] = energy;
    historyNext = (historyNext + 1) % kHistoryBlocks;
    energy = 0.0;
    loudest = -1.0;
    filled = 0;
}

bool OnsetDetector::latest(std::int64_t from, std::int64_t to, std::int64_t& onset) const {
    bool found = false;
    for (int i = 0; i < onsetCount; ++i) {
        const std::int64_t o = onsets[static_cast<std::size_t>(i)];
        if (o <= from || o >= to) continue;
        if (!found || o > onset) found = true, onset = o;
    }
    return found;
}

} // namespace Engine::Studio
