#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "output/DirectSoundError.h"

namespace DirectSound {

// The wave format record of a buffer: integer PCM only.
struct WaveFormat {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSec = 44100;
    std::uint32_t avgBytesPerSec = 176400;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;
};

// Where the frames of a playing buffer go. configure() is called while nothing plays; write()
// and halt() only from one thread at a time.
class CPcmSink {
  public:
    virtual ~CPcmSink() = default;
    // Fixes the format; DSERR_BADFORMAT when the device refuses it.
    virtual Result configure(const WaveFormat& format) = 0;
    // Plays frames of the configured format. Returns once the device has taken them, so that
    // the caller is paced like a sound card. A device that fails is left behind silently and
    // the frames are paced by the clock, so that playback still reaches its end.
    virtual void write(const std::uint8_t* bytes, std::uint32_t frames) = 0;
    // Drops whatever is still queued; the next write starts afresh.
    virtual void halt() = 0;
    // How many frames the caller hands over at a time.
    virtual std::uint32_t chunkFrames() const = 0;
    // Frames taken by write() and not yet heard, at most.
    virtual std::uint32_t latencyFrames() const = 0;
};

// Plays into nothing, at the pace of the clock: a device for machines without a sound card.
std::unique_ptr<CPcmSink> makeClockSink();
// Opens an ALSA playback PCM by name: DSERR_ALLOCATED when it is busy, DSERR_NODRIVER when it
// cannot be opened otherwise.
Result openAlsaSink(const std::string& pcmName, std::unique_ptr<CPcmSink>& sink);

} // namespace DirectSound
