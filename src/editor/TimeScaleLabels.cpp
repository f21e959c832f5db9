#include "editor/TimeScaleLabels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace Editor {

namespace {

constexpr double kNudge = 0.01;
constexpr double kMinTickPixels = 75.0;
constexpr double kMaxTickPixels = 300.0;

std::int64_t nudged(double units) {
    return static_cast<std::int64_t>(units + kNudge);
}

// A rest left after a unit that the nudge rounded up would be negative: there is none.
double restAfter(double position, double units, double unitFrames) {
    return std::max(0.0, position - units * unitFrames);
}

std::string clockLabel(std::int64_t frame, double rate) {
    const double p = static_cast<double>(frame);
    const std::int64_t seconds = nudged(p / rate);
    const double rest = restAfter(p, static_cast<double>(seconds), rate);
    const std::int64_t ms = nudged(rest * 1000.0 / rate);
    const double rest2 = restAfter(rest, static_cast<double>(ms), rate * 0.001);
    const std::int64_t us = nudged(rest2 * 1000000.0 / rate);

    std::string label = " ";
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = seconds % 3600 / 60;
    if (hours != 0) label += std::to_string(hours) + "h";
    if (minutes != 0) label += std::to_string(minutes) + "m";
    if (seconds % 60 != 0) label += std::to_string(seconds % 60) + "s";
    if (ms != 0) {
        label += std::to_string(ms);
        if (us != 0) label += "." + std::to_string(us / 100);
        label += "ms";
    } else if (us != 0) {
        label += "0." + std::to_string(us / 100) + "ms";
    }
    if (label.size() == 1) label += "0";
    return label;
}

std::string musicalLabel(std::int64_t frame, double rate, double bpm) {
    const MusicalPosition m = musicalPosition(static_cast<double>(frame), rate, bpm);
    std::string label = " " + std::to_string(m.bar);
    if (m.beat != 1 || m.sixteenth != 1 || m.tick != 0) label += "." + std::to_string(m.beat);
    if (m.sixteenth != 1 || m.tick != 0) label += "." + std::to_string(m.sixteenth);
    if (m.tick != 0) label += "." + std::to_string(m.tick);
    return label;
}

void checkFramesPerPixel(double framesPerPixel) {
    if (!(framesPerPixel > 0.0) || !std::isfinite(framesPerPixel))
        throw std::invalid_argument("the time ruler needs frames per pixel above 0");
}

} // namespace

double framesPerBar(double sampleRate, double bpm) {
    return 4.0 * sampleRate * 60.0 / bpm;
}

MusicalPosition musicalPosition(double p, double rate, double bpm) {
    if (!(rate > 0.0) || !(bpm > 0.0))
        throw std::invalid_argument("musical time needs a sample rate and a tempo above 0");
    const double bar = framesPerBar(rate, bpm);
    const double beat = bar / 4.0;
    const double sixteenth = beat * 0.25;
    const double tick = sixteenth / kTicksPerSixteenth;
    MusicalPosition m;
    const std::int64_t bars = nudged(p / bar);
    m.bar = bars + 1;
    const double p1 = restAfter(p, static_cast<double>(bars), bar);
    m.beat = nudged(p1 / beat) + 1;
    const double p2 = restAfter(p1, static_cast<double>(m.beat - 1), beat);
    m.sixteenth = nudged(p2 / sixteenth) + 1;
    const double p3 = restAfter(p2, static_cast<double>(m.sixteenth - 1), sixteenth);
    m.tick = nudged(p3 / tick);
    return m;
}

std::string createTimeInfoString(std::int64_t frame, double sampleRate, double bpm,
                                 std::uint32_t displayType) {
    if (displayType == TIMESCALE_CLOCK) {
        if (!(sampleRate > 0.0))
            throw std::invalid_argument("clock time needs a sample rate above 0");
        return clockLabel(frame, sampleRate);
    }
    if (displayType == TIMESCALE_MUSICAL) return musicalLabel(frame, sampleRate, bpm);
    throw std::invalid_argument(kLabelTypeUnsupported);
}

TickSpacing musicalTickSpacing(double sampleRate, double bpm, double framesPerPixel) {
    checkFramesPerPixel(framesPerPixel);
    if (!(sampleRate > 0.0) || !(bpm > 0.0))
        throw std::invalid_argument("musical time needs a sample rate and a tempo above 0");
    TickSpacing s;
    s.frames = framesPerBar(sampleRate, bpm);
    s.pixels = s.frames / framesPerPixel;
    s.barsPerTick = 1;
    if (s.pixels >= kMaxTickPixels) {
        // beat, sixteenth, then 60, 15, 5 and 1 ticks of a sixteenth
        constexpr std::array<int, 6> divisors{4, 4, 4, 4, 3, 5};
        for (const int d : divisors) {
            if (s.pixels < kMaxTickPixels || s.pixels / d < kMinTickPixels) break;
            s.pixels /= d;
            s.frames /= d;
            ++s.level;
        }
        if (s.level > 0) s.barsPerTick = 0;
    } else {
        while (s.pixels < kMinTickPixels) {
            s.pixels *= 4.0;
            s.frames *= 4.0;
            s.barsPerTick *= 4;
        }
    }
    return s;
}

TickSpacing clockTickSpacing(double sampleRate, double framesPerPixel) {
    checkFramesPerPixel(framesPerPixel);
    if (!(sampleRate > 0.0)) throw std::invalid_argument("clock time needs a sample rate above 0");
    constexpr std::array<double, 21> steps{0.0001, 0.0002, 0.0005, 0.001, 0.002, 0.005, 0.01,
                                           0.02,   0.05,   0.1,    0.2,   0.5,   1,     2,
                                           5,      10,     15,     30,    60,    120,   300};
    constexpr std::array<double, 5> longSteps{600, 900, 1800, 3600, 7200};
    const double pixelsPerSecond = sampleRate / framesPerPixel;
    double seconds = 0.0;
    for (const double step : steps)
        if (step * pixelsPerSecond >= kMinTickPixels) {
            seconds = step;
            break;
        }
    for (std::size_t i = 0; seconds == 0.0 && i < longSteps.size(); ++i)
        if (longSteps[i] * pixelsPerSecond >= kMinTickPixels) seconds = longSteps[i];
    if (seconds == 0.0) {
        // whole hours, doubling
        seconds = 7200.0;
        while (seconds * pixelsPerSecond < kMinTickPixels)
            seconds *= 2.0;
    }
    TickSpacing s;
    s.frames = seconds * sampleRate;
    s.pixels = s.frames / framesPerPixel;
    return s;
}

TickSpacing tickSpacing(std::uint32_t displayType, double sampleRate, double bpm,
                        double framesPerPixel) {
    if (displayType == TIMESCALE_CLOCK) return clockTickSpacing(sampleRate, framesPerPixel);
    if (displayType == TIMESCALE_MUSICAL)
        return musicalTickSpacing(sampleRate, bpm, framesPerPixel);
    throw std::invalid_argument(kDrawTypeUnsupported);
}

std::vector<Tick> visibleTicks(const TickSpacing& spacing, std::int64_t firstFrame,
                               double framesPerPixel, int width) {
    checkFramesPerPixel(framesPerPixel);
    std::vector<Tick> ticks;
    if (!(spacing.frames > 0.0) || width < 0) return ticks;
    const auto first = static_cast<double>(firstFrame);
    const double last = first + width * framesPerPixel;
    for (auto k = static_cast<std::int64_t>(std::ceil(first / spacing.frames));
         static_cast<double>(k) * spacing.frames <= last; ++k) {
        const double at = static_cast<double>(k) * spacing.frames;
        // The frame at or just after the tick: a label of a frame a hair before a tick of a
        // few frames' length would name the tick before it.
        ticks.push_back(
            {static_cast<std::int64_t>(std::ceil(at - 1e-6)), (at - first) / framesPerPixel});
    }
    return ticks;
}

} // namespace Editor
