#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>

#include "output/alsa/ClockSink.h"
#include "output/alsa/PcmSink.h"

namespace DirectSound {

namespace {

// A twentieth of a second queued in the device: far less than a buffer segment, so a notified
// segment has long been handed over when it is refilled, and short enough to leave most of the
// live audition's allowance to the read-ahead.
constexpr unsigned DEVICE_LATENCY_US = 50000;

class CAlsaSink : public CPcmSink {
  public:
    explicit CAlsaSink(snd_pcm_t* pcm_) : pcm(pcm_) {}
    ~CAlsaSink() override { snd_pcm_close(pcm); }
    CAlsaSink(const CAlsaSink&) = delete;
    CAlsaSink& operator=(const CAlsaSink&) = delete;

    Result configure(const WaveFormat& format) override;
    void write(const std::uint8_t* bytes, std::uint32_t frames) override;
    void halt() override;
    std::uint32_t chunkFrames() const override { return chunk; }
    // The device's buffer; one paced by the clock (see write()) holds less.
    std::uint32_t latencyFrames() const override {
        return static_cast<std::uint32_t>(std::max<snd_pcm_uframes_t>(deviceFrames, chunk));
    }

  private:
    bool writeAll(const std::uint8_t* bytes, std::uint32_t frames);

    snd_pcm_t* pcm;
    std::uint32_t frameBytes = 4;
    std::uint32_t chunk = 1024;
    snd_pcm_uframes_t deviceFrames = 0;
    bool failed = false;
    // Some PCMs (a "null" device, a file writer over one) take any amount at once; they are
    // paced by the clock instead, like a sound card.
    CClockPacer pacer;
};

Result CAlsaSink::configure(const WaveFormat& format) {
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels == 0)
        return DSERR_BADFORMAT;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                           format.channels, format.samplesPerSec, 1, DEVICE_LATENCY_US) < 0)
        return DSERR_BADFORMAT;
    snd_pcm_uframes_t period = 0;
    if (snd_pcm_get_params(pcm, &deviceFrames, &period) < 0 || period == 0) return DSERR_BADFORMAT;
    chunk = static_cast<std::uint32_t>(period);
    frameBytes = format.blockAlign;
    pacer.setRate(format.samplesPerSec);
    failed = false;
    return DS_OK;
}

bool CAlsaSink::writeAll(const std::uint8_t* bytes, std::uint32_t frames) {
    while (frames > 0) {
        snd_pcm_sframes_t n = snd_pcm_writei(pcm, bytes, frames);
        if (n < 0) n = snd_pcm_recover(pcm, static_cast<int>(n), 1);
        if (n < 0) return false;
        bytes += static_cast<std::size_t>(n) * frameBytes;
        frames -= static_cast<std::uint32_t>(n);
    }
    return true;
}

void CAlsaSink::write(const std::uint8_t* bytes, std::uint32_t frames) {
    if (!failed) failed = !writeAll(bytes, frames);
    const snd_pcm_sframes_t room = failed ? 0 : snd_pcm_avail_update(pcm);
    if (failed || room < 0 || static_cast<snd_pcm_uframes_t>(room) >= deviceFrames)
        pacer.pace(frames, chunk);
}

void CAlsaSink::halt() {
    pacer.restart();
    if (failed) return;
    snd_pcm_drop(pcm);
    snd_pcm_prepare(pcm);
}

} // namespace

Result openAlsaSink(const std::string& pcmName, std::unique_ptr<CPcmSink>& sink) {
    snd_pcm_t* pcm = nullptr;
    const int error = snd_pcm_open(&pcm, pcmName.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    if (error == -EBUSY) return DSERR_ALLOCATED;
    if (error < 0) return DSERR_NODRIVER;
    sink = std::make_unique<CAlsaSink>(pcm);
    return DS_OK;
}

} // namespace DirectSound
