#include "engine/kalo2/Kalo2Engine.h"

#include <cstring>

#include "engine/kalo2/EngineParameters.h"
#include "engine/kalo2/EngineState.h"

namespace Engine {

namespace {
// The engine's own number for the double-length mode.
constexpr std::int32_t kDoubleLengthMode = 5;
} // namespace

Kalo2Engine::Kalo2Engine(const StreamFormat& format_, const EngineOptions& options_)
    : streamFormat(format_), options(options_),
      qualityMode(options_.doubleLength ? kDoubleLengthMode
                                        : static_cast<std::int32_t>(options_.quality)),
      samples(new float[static_cast<std::size_t>(format_.channels) * KALO2_BufferFrames]()),
      state(new unsigned char[KALO2_StateSize()]()) {
    for (int c = 0; c < format_.channels; ++c)
        channels[static_cast<std::size_t>(c)] =
            samples.get() + static_cast<std::size_t>(c) * KALO2_BufferFrames;
    reset();
}

void Kalo2Engine::reset() {
    std::memset(state.get(), 0, KALO2_StateSize());
    KALO2_SetExactPitch(reinterpret_cast<EngineState*>(state.get()), options.exactPitch);
    position = 0;
    request = KALO2_FirstRequest;
}

void Kalo2Engine::setFactors(const Factors& f) {
    factors = options.doubleLength ? Factors{2.0, 1.0, 1.0} : f;
}

SourceSpan Kalo2Engine::nextInput() const {
    return {static_cast<std::int64_t>(position), static_cast<std::int32_t>(request)};
}

int Kalo2Engine::process() {
    return KALO2_Process(factors.time, factors.pitch, factors.formant, qualityMode,
                         streamFormat.sampleRate, streamFormat.channels, 0, &position, &request,
                         channels.data(), reinterpret_cast<EngineState*>(state.get()));
}

std::int64_t Kalo2Engine::latency() const {
    return KALO2_OutputLatency(factors.pitch, streamFormat.sampleRate, options.exactPitch);
}

double Kalo2Engine::step() const {
    return 512.0 * rateMultipleFor(streamFormat.sampleRate);
}

} // namespace Engine
