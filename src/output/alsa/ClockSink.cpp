#include "output/alsa/ClockSink.h"

#include <thread>

namespace DirectSound {

void CClockPacer::pace(std::uint32_t frames, std::uint32_t framesAhead) {
    const auto now = std::chrono::steady_clock::now();
    if (!running) {
        running = true;
        base = now;
        taken = 0;
    }
    taken += frames;
    const std::uint64_t due = taken > framesAhead ? taken - framesAhead : 0;
    const auto wait = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(due) / rate));
    std::this_thread::sleep_until(base + wait);
}

Result CClockSink::configure(const WaveFormat& format) {
    if (format.formatTag != 1 || format.samplesPerSec == 0) return DSERR_BADFORMAT;
    pacer.setRate(format.samplesPerSec);
    return DS_OK;
}

void CClockSink::write(const std::uint8_t*, std::uint32_t frames) {
    pacer.pace(frames, CHUNK_FRAMES);
}

std::unique_ptr<CPcmSink> makeClockSink() {
    return std::make_unique<CClockSink>();
}

} // namespace DirectSound
