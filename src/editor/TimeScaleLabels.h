#pragma once
// The time ruler's labels and tick spacing: frame positions as clock time or as musical time
// (bars, beats, sixteenths and ticks at a tempo).
#include <cstdint>
#include <string>
#include <vector>

namespace Editor {

// Display types of the time ruler.
inline constexpr std::uint32_t TIMESCALE_CLOCK = 1;   // menu item "Time"
inline constexpr std::uint32_t TIMESCALE_MUSICAL = 2; // menu item "Cycles"

inline constexpr const char* kLabelTypeUnsupported =
    "CHorizontalTimeScale::create_TimeInfoString() dwScaleDisplayType not supported!";
inline constexpr const char* kDrawTypeUnsupported =
    "CHorizontalTimeScale::draw(): current dwScaleType not supported!";

// Four beats to the bar, four sixteenths to the beat, 240 ticks to the sixteenth.
inline constexpr int kTicksPerSixteenth = 240;

// Bar, beat and sixteenth count from 1, the tick from 0.
struct MusicalPosition {
    std::int64_t bar = 1;
    std::int64_t beat = 1;
    std::int64_t sixteenth = 1;
    std::int64_t tick = 0;

    bool operator==(const MusicalPosition&) const = default;
};

// Frames of one bar at the rate and tempo.
double framesPerBar(double sampleRate, double bpm);

// Each unit is truncated after adding 0.01, so that a position a hair below a boundary counts
// as on it. Throws std::invalid_argument unless the rate and the tempo are above 0.
MusicalPosition musicalPosition(double frame, double sampleRate, double bpm);

// The ruler label of a frame position: " 1h2m3s4.5ms" (clock time, type 1) or " 3.2.1.120"
// (musical time, type 2). Other types throw std::invalid_argument with kLabelTypeUnsupported.
std::string createTimeInfoString(std::int64_t frame, double sampleRate, double bpm,
                                 std::uint32_t displayType);

// The distance between two labelled ticks.
struct TickSpacing {
    double pixels = 0.0; // between two ticks
    double frames = 0.0; // between two ticks
    // Musical time: 0 for bars, else how many of the subdivisions (beat, sixteenth, 60, 15,
    // 5 and 1 ticks) were applied. Clock time: 0.
    std::uint32_t level = 0;
    std::int64_t barsPerTick = 0; // musical time zoomed out: 1, 4, 16, ...; else 0
};

// Starts at one bar and divides by 4, 4, 4, 4, 3, 5 (beat, sixteenth, 60, 15, 5 and 1 ticks)
// while the ticks are at least 300 pixels apart and the division leaves at least 75; below
// 75 pixels it groups bars by 4 until they are 75 pixels apart.
TickSpacing musicalTickSpacing(double sampleRate, double bpm, double framesPerPixel);

// The shortest of 0.1, 0.2, 0.5 ms ... 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1 h,
// 2 h ... that is at least 75 pixels wide.
TickSpacing clockTickSpacing(double sampleRate, double framesPerPixel);

// The spacing of a display type; throws std::invalid_argument with kDrawTypeUnsupported for
// another type, or when musical time has no tempo.
TickSpacing tickSpacing(std::uint32_t displayType, double sampleRate, double bpm,
                        double framesPerPixel);

// One tick of the visible range: its frame and its x relative to the view's left edge.
struct Tick {
    std::int64_t frame = 0;
    double x = 0.0;
};

// The ticks at whole multiples of the spacing from frame 0 that fall into [0, width] pixels of
// a view starting at firstFrame; a tick between two frames takes the later one.
std::vector<Tick> visibleTicks(const TickSpacing& spacing, std::int64_t firstFrame,
                               double framesPerPixel, int width);

} // namespace Editor
