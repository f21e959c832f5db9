#pragma once
// The band-splitting time-domain engine (KALO2_Process) behind the engine interface: the
// qualities monophonic, fast, medium and best, and the double-length mode.
#include <array>
#include <memory>

#include "engine/TimePitchEngine.h"
#include "engine/kalo2/KALO2.h"

namespace Engine {

class Kalo2Engine : public TimePitchEngine {
  public:
    Kalo2Engine(const StreamFormat& format, const EngineOptions& options);

    void setFactors(const Factors& factors) override;
    SourceSpan nextInput() const override;
    float* const* input() override { return channels.data(); }
    int process() override;
    // The engine overwrites its input with its output.
    const float* const* output() const override { return channels.data(); }
    std::int64_t latency() const override;
    double step() const override;
    int maxInputFrames() const override { return static_cast<int>(KALO2_BufferFrames); }
    int maxOutputFrames() const override { return static_cast<int>(KALO2_BufferFrames); }
    const StreamFormat& format() const override { return streamFormat; }
    void reset() override;

  private:
    StreamFormat streamFormat;
    EngineOptions options;
    std::int32_t qualityMode;
    Factors factors;
    std::unique_ptr<float[]> samples;
    std::array<float*, Audio::kMaxEngineChannels> channels{};
    std::unique_ptr<unsigned char[]> state;
    std::uint32_t position = 0;
    std::uint32_t request = KALO2_FirstRequest;
};

} // namespace Engine
