#pragma once
// The three factors an engine follows, and the range every engine keeps them in.
namespace Engine {

// Time = output duration / input duration; pitch and formant are frequency ratios.
struct Factors {
    double time = 1.0;
    double pitch = 1.0;
    double formant = 1.0;
};

// Above this an engine at a pitch factor of 4 would move less than one source frame per call:
// a larger (or infinite) time factor would never reach the end of the source.
inline constexpr double kMaxTimeFactor = 128.0;

// NaN becomes 1.0; pitch and formant stay within [0.25, 4], time within [0.1, kMaxTimeFactor].
double saneRatio(double factor);
double saneTimeFactor(double factor);
Factors saneFactors(const Factors& factors);

} // namespace Engine
