#include <stdexcept>
#include <string>

#include "engine/TimePitchEngine.h"
#include "engine/kalo2/Kalo2Engine.h"
#include "engine/studio/StudioEngine.h"

namespace Engine {

std::unique_ptr<TimePitchEngine> makeEngine(const StreamFormat& format,
                                            const EngineOptions& options) {
    if (format.channels < 1 || format.channels > Audio::kMaxEngineChannels)
        throw std::invalid_argument("makeEngine() " + std::to_string(format.channels) +
                                    " channels; the engines take 1 to " +
                                    std::to_string(Audio::kMaxEngineChannels) + "!");
    switch (options.quality) {
    case Quality::Monophonic:
    case Quality::Fast:
    case Quality::Medium:
    case Quality::Best:
        return std::make_unique<Kalo2Engine>(format, options);
    case Quality::Studio:
        return std::make_unique<StudioEngine>(format, options);
    }
    throw std::invalid_argument("makeEngine() no engine for quality " +
                                std::to_string(static_cast<int>(options.quality)) + "!");
}

} // namespace Engine
