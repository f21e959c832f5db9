#pragma once
// What one processing job is asked to do: the factors, the source and its range, the options.
#include <cstdint>

#include "engine/TimePitchEngine.h"

namespace Audio {
class CAudioFileCache;
}

namespace Process {

struct JobParameters {
    double pitchFactor = 1.0;
    double timeFactor = 1.0;
    double formantFactor = 1.0;
    Audio::CAudioFileCache* source = nullptr;
    // Follow the mark point curves on top of the factors.
    bool dynamic = false;
    bool preserveFormants = false;
    Engine::Quality quality = Engine::Quality::Fast;
    // Twice as long at the same pitch, in the engine's own mode for it.
    bool doubleLength = false;
    std::int64_t startFrame = 0;
    // -1: the end of the source.
    std::int64_t endFrame = -1;
    // Pitch exactly as requested instead of in the engine's steps.
    bool exactPitch = false;
};

} // namespace Process
