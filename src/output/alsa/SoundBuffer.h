#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "output/DirectSoundError.h"
#include "output/alsa/PcmSink.h"

namespace DirectSound {

constexpr std::uint32_t DSBSTATUS_PLAYING = 1;
constexpr std::uint32_t DSBSTATUS_BUFFERLOST = 2;
constexpr std::uint32_t DSBPLAY_LOOPING = 1;

// A notification: signal() runs, on the buffer's feeder thread, once the play cursor has
// passed offset. It must be quick and must not call back into the buffer.
struct Notification {
    std::uint32_t offset = 0;
    std::function<void()> signal;
};

// A looping play buffer: its own feeder thread hands the bytes at the play cursor to the
// device chunk by chunk, at the device's pace, and signals the notifications it passes. The
// client writes into regions it has locked. The memory of the buffer stays where it is.
class CSoundBuffer {
  public:
    // The sink must outlive the buffer.
    CSoundBuffer(CPcmSink& sink, const WaveFormat& format, std::uint32_t bytes);
    ~CSoundBuffer();
    CSoundBuffer(const CSoundBuffer&) = delete;
    CSoundBuffer& operator=(const CSoundBuffer&) = delete;

    // While stopped only; DSERR_INVALIDCALL while playing, DSERR_INVALIDPARAM for an offset
    // outside the buffer.
    Result setNotificationPositions(std::vector<Notification> notifications);
    Result getStatus(std::uint32_t& status) const;
    // Memory of this layer is never lost; nothing to restore.
    Result restore() { return DS_OK; }
    // Gives the region of bytes at offset, in two parts when it wraps at the end.
    Result lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1,
                void** part2, std::uint32_t* bytes2);
    Result unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2);
    // The play cursor: bytes up to it have been handed to the device.
    Result getCurrentPosition(std::uint32_t* play, std::uint32_t* write) const;
    Result setCurrentPosition(std::uint32_t offset);
    // Only looping play is offered (DSERR_INVALIDPARAM otherwise).
    Result play(std::uint32_t flags);
    // Returns once the feeder has stopped and the device has dropped what it had queued.
    Result stop();

  private:
    class Feeder;
    void feedLoop();
    bool nextChunk(std::uint32_t& offset, std::uint32_t& bytes);
    void advance(std::uint32_t from, std::uint32_t bytes);

    CPcmSink& sink;
    const WaveFormat format;
    std::vector<std::uint8_t> memory;
    std::vector<std::uint8_t> chunk;
    std::vector<Notification> notifications;

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::uint32_t cursor = 0;
    bool playing = false;
    bool feeding = false;
    bool quitting = false;

    std::unique_ptr<Feeder> feeder;
};

} // namespace DirectSound
