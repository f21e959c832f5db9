#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output/DeviceId.h"
#include "output/DirectSoundError.h"
#include "output/alsa/PcmSink.h"
#include "output/alsa/SoundBuffer.h"

namespace DirectSound {

// The device identifier as the system output names it.
using Guid = Output::DeviceId;

struct DeviceEntry {
    Guid id{};
    // What the user sees and the settings file records.
    std::string description;
    // The ALSA PCM name; empty for the clock-paced device.
    std::string pcmName;
};

// The name of the device that needs no sound card.
extern const char* const CLOCK_DEVICE_NAME;

// The system outputs: ALSA's "default" with the all-zero identifier first, then every output
// PCM of ALSA's device hints, then the clock-paced device, which is always there.
Result enumerateDevices(std::vector<DeviceEntry>& devices);

// An opened output device with its primary format.
class CSoundDevice {
  public:
    // Opens the listed device with this identifier: DSERR_NODRIVER when none has it or it
    // cannot be opened, DSERR_ALLOCATED when it is busy.
    static Result create(const Guid& id, std::unique_ptr<CSoundDevice>& device);

    // Fixes the device's format; DSERR_BADFORMAT when it is refused.
    Result setPrimaryFormat(const WaveFormat& format);
    // A looping buffer of the given size in the primary format; the device must outlive it.
    Result createSecondaryBuffer(std::uint32_t bytes, const WaveFormat& format,
                                 std::unique_ptr<CSoundBuffer>& buffer);
    // Frames the device holds after taking them, before they are heard.
    int getLatencyFrames() const { return static_cast<int>(sink->latencyFrames()); }

  private:
    explicit CSoundDevice(std::unique_ptr<CPcmSink> sink_) : sink(std::move(sink_)) {}

    std::unique_ptr<CPcmSink> sink;
    WaveFormat primary;
    bool formatSet = false;
};

} // namespace DirectSound
