#pragma once
#include <chrono>
#include <cstdint>

#include "output/alsa/PcmSink.h"

namespace DirectSound {

// Sleeps so that frames are taken no faster than the sample rate allows, one chunk ahead.
class CClockPacer {
  public:
    void setRate(std::uint32_t framesPerSecond) { rate = framesPerSecond; }
    void pace(std::uint32_t frames, std::uint32_t framesAhead);
    void restart() { running = false; }

  private:
    std::uint32_t rate = 44100;
    bool running = false;
    std::chrono::steady_clock::time_point base;
    std::uint64_t taken = 0;
};

class CClockSink : public CPcmSink {
  public:
    Result configure(const WaveFormat& format) override;
    void write(const std::uint8_t*, std::uint32_t frames) override;
    void halt() override { pacer.restart(); }
    std::uint32_t chunkFrames() const override { return CHUNK_FRAMES; }
    // The pacer lets one chunk run ahead of the clock.
    std::uint32_t latencyFrames() const override { return CHUNK_FRAMES; }

  private:
    static constexpr std::uint32_t CHUNK_FRAMES = 1024;
    CClockPacer pacer;
};

} // namespace DirectSound
