#pragma once
// The settings of one entry of the batch list, as the windows and the command line give them,
// and the factors they stand for.
#include "markpoints/MarkPointArray.h"

namespace Process {

enum TimeUnit : int { Seconds = 0, Percent = 1, Bpm = 2 };

// 2^(semitones/12 + cents/1200), the two constants in single precision.
double pitchFactorOf(int semitones, int cents);
// Output duration / input duration for a time value in the given unit. Throws
// std::invalid_argument for a value that gives no finite positive factor.
double timeFactorOf(double value, TimeUnit unit, double sourceSeconds, double sourceBpm);

struct RowSettings {
    int semitones = 0;
    int cents = 0;
    double timeValue = 100.0;
    TimeUnit timeUnit = Percent;
    double sourceBpm = -1.0;
    bool preserveFormants = false;
    bool doubleLength = false;
    bool exactPitch = false; // see KALO2_SetExactPitch()
    bool useMarkPoints = false;
    MarkPoints::CMarkPointArray curves[3]; // time, pitch, formant
};

} // namespace Process
